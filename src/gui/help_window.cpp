#include "gui/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

#include "app/help_book.h"
#include "gui/message_box.h"

namespace nodelyx {
namespace {

// Wide enough for the tables of ranges without a horizontal scroll bar.
constexpr QSize kFirstSize{780, 620};

QPushButton* addButton(QHBoxLayout& row, QWidget& window, const char* label, const char* objectName) {
  auto* button = new QPushButton(QString::fromUtf8(label), &window);
  button->setObjectName(QString::fromUtf8(objectName));
  button->setAccessibleName(button->text());
  button->setAutoDefault(false);
  row.addWidget(button);
  return button;
}

}  // namespace

class HelpWindow final : public QWidget {
 public:
  explicit HelpWindow(std::filesystem::path book) : QWidget(nullptr, Qt::Window), book_(std::move(book)) {
    setObjectName(QString::fromUtf8(kHelpWindowObjectName));
    setWindowTitle(QString::fromUtf8(kHelpWindowTitle));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    QPushButton* back = addButton(*row, *this, "Back", "helpBack");
    QPushButton* forward = addButton(*row, *this, "Forward", "helpForward");
    QPushButton* contents = addButton(*row, *this, "Contents", "helpContents");
    row->addStretch();
    layout->addLayout(row);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QString::fromUtf8(kHelpBrowserObjectName));
    browser_->setAccessibleName(QStringLiteral("Help page"));
    browser_->setOpenExternalLinks(false);
    layout->addWidget(browser_);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { open(kHelpContentsPage); });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  }

  // location: a page of the book, with "#anchor" for a section of it.
  void open(const std::string& location) {
    const auto hash = location.find('#');
    const std::filesystem::path page = book_ / location.substr(0, hash);
    QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(page.string())));
    const QString anchor =
        hash == std::string::npos ? QString() : QString::fromStdString(location.substr(hash + 1));
    if (!anchor.isEmpty()) url.setFragment(anchor);
    browser_->setSource(url);
    // The browser ignores a request for the page it already shows; the
    // reader may have scrolled away from the section since.
    if (!anchor.isEmpty()) browser_->scrollToAnchor(anchor);
  }

  // The first showing: centred on the owner, inside the owner's screen.
  void placeBeside(const QWidget* owner) {
    const QScreen* screen = owner != nullptr ? owner->screen() : this->screen();
    if (screen == nullptr) {
      resize(kFirstSize);
      return;
    }
    const QRect area = screen->availableGeometry();
    QRect frame(QPoint(), kFirstSize.boundedTo(area.size()));
    frame.moveCenter(owner != nullptr ? owner->frameGeometry().center() : area.center());
    frame.moveLeft(std::clamp(frame.left(), area.left(), area.right() - frame.width() + 1));
    frame.moveTop(std::clamp(frame.top(), area.top(), area.bottom() - frame.height() + 1));
    setGeometry(frame);
  }

 private:
  std::filesystem::path book_;
  QTextBrowser* browser_ = nullptr;
};

HelpWindowViewer::HelpWindowViewer(std::filesystem::path programDirectory, QWidget* owner)
    : programDirectory_(std::move(programDirectory)), owner_(owner) {}

HelpWindowViewer::~HelpWindowViewer() = default;

void HelpWindowViewer::showHelp(const std::string& keyword) {
  if (!window_) {
    const std::filesystem::path book = findHelpBook(programDirectory_);
    if (book.empty()) {
      showMessageBox(owner_,
                     {kHelpMessageTitle, missingHelpBookText(programDirectory_), MessageIcon::Warning},
                     MessageButtons::Ok);
      return;
    }
    window_ = std::make_unique<HelpWindow>(book);
    window_->placeBeside(owner_);
  }
  window_->showNormal();
  window_->raise();
  window_->activateWindow();
  window_->open(helpLocation(keyword));
}

QWidget* HelpWindowViewer::window() const { return window_.get(); }

}  // namespace nodelyx

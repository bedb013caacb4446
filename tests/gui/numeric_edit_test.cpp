// The numeric field alone: which characters it takes (typed and pasted),
// the editing keys it keeps, and when it asks for a commit.
#include "gui/numeric_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using nodelyx::NumericEdit;

class NumericEditTest : public QObject {
  Q_OBJECT

 private slots:
  void typedCharacters_data();
  void typedCharacters();
  void editingKeysStillWork();
  void pastedTextPassesTheSameCheck();
  void enterAndLeavingAskForACommit();
};

void NumericEditTest::typedCharacters_data() {
  QTest::addColumn<bool>("exponent");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("digits") << true << "0123456789"
                          << "0123456789";
  QTest::newRow("sign, point and exponent") << true << "-1.5e-3E2"
                                            << "-1.5e-3E2";
  QTest::newRow("plus swallowed") << true << "1+2"
                                  << "12";
  QTest::newRow("blanks swallowed") << true << " 1 2 "
                                    << "12";
  QTest::newRow("other letters swallowed") << true << "a1xb2Z"
                                           << "12";
  QTest::newRow("comma swallowed") << true << "1,5"
                                   << "15";
  QTest::newRow("plain decimals refuse e") << false << "1e5E"
                                           << "15";
}

void NumericEditTest::typedCharacters() {
  QFETCH(bool, exponent);
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  NumericEdit edit(exponent);
  QTest::keyClicks(&edit, typed);
  QCOMPARE(edit.text(), shown);
}

void NumericEditTest::editingKeysStillWork() {
  NumericEdit edit(true);
  QTest::keyClicks(&edit, "1234");
  QTest::keyClick(&edit, Qt::Key_Backspace);
  QTest::keyClick(&edit, Qt::Key_Home);
  QTest::keyClick(&edit, Qt::Key_Delete);
  QTest::keyClick(&edit, Qt::Key_Right);
  QTest::keyClicks(&edit, "9");
  QTest::keyClick(&edit, Qt::Key_End);
  QTest::keyClicks(&edit, "0");
  QCOMPARE(edit.text(), QStringLiteral("2930"));
  // A control character other than backspace is swallowed.
  QTest::keyClick(&edit, Qt::Key_Escape);
  QTest::keyClick(&edit, Qt::Key_K, Qt::ControlModifier);
  QCOMPARE(edit.text(), QStringLiteral("2930"));
}

void NumericEditTest::pastedTextPassesTheSameCheck() {
  NumericEdit edit(true);
  QApplication::clipboard()->setText(QStringLiteral("1 + 2"));
  edit.paste();
  QCOMPARE(edit.text(), QString());
  QApplication::clipboard()->setText(QStringLiteral("-2.5e3"));
  edit.paste();
  QCOMPARE(edit.text(), QStringLiteral("-2.5e3"));
}

void NumericEditTest::enterAndLeavingAskForACommit() {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* edit = new NumericEdit(true, &window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(edit);
  layout->addWidget(other);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  edit->setFocus();
  QSignalSpy commits(edit, &NumericEdit::commitRequested);

  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(commits.count(), 1);
  QVERIFY(edit->hasFocus());

  // A popup (a context menu) is not leaving the field.
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(edit, &popup);
  QCOMPARE(commits.count(), 1);

  QTest::keyClick(edit, Qt::Key_Tab);
  QCOMPARE(commits.count(), 2);
  QVERIFY(other->hasFocus());
}

QTEST_MAIN(NumericEditTest)
#include "numeric_edit_test.moc"

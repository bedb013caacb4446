#include "gui/gui_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares a function of the global namespace, so it must
// be used outside ours.
static void registerNodelyxResources() { Q_INIT_RESOURCE(nodelyx); }

namespace nodelyx {

void initGuiResources() {
  static const bool registered = [] {
    registerNodelyxResources();
    return true;
  }();
  (void)registered;
}

QIcon applicationIcon() {
  initGuiResources();
  return QIcon(kApplicationIconPicture);
}

QIcon toolbarIcon(const char* name) {
  initGuiResources();
  return QIcon(QStringLiteral(":/nodelyx/toolbar/%1.svg").arg(QString::fromUtf8(name)));
}

}  // namespace nodelyx

#include "app/cross_section_app.h"

#include "app/project_start.h"
#include "app/qt_services.h"
#include "app/sheets.h"
#include "store/project_paths.h"

namespace hdmjm {

int CrossSectionApp::Run(const std::function<void(HDMJM&)>& beforeRun) {
  QtUserMessages messages;
  QtFileChooser files;
  StderrTrace trace;
  SchemeSession session(InstallRoot());
  session.Paths() =
      StartingProject(project_, session.InstallRoot(), RecentProjects().List(), messages);
  const PageContext context{session, messages, files, trace};
  HDMJM sheet(context);
  if (beforeRun) beforeRun(sheet);
  sheet.exec();
  return 0;
}

}  // namespace hdmjm

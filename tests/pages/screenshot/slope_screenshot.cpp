// Opens road 主线 of a scheme database, shows one slope page on it (the left cut page unless a
// class name is given), presses "边坡参数" on its first segment and saves a picture of the screen
// to the file named by the second argument. Run it under an X server:
//   xvfb-run -a -s "-screen 0 1024x768x24" slope_screenshot SCHEME.mdb docs/slope-page.png
#include <QApplication>
#include <cstdio>

#include "pages/page_entry.h"
#include "pages/slope_pages.h"
#include "screen_shot.h"
#include "store/scheme.h"

using namespace hdmjm;

namespace {

class NoFiles : public FileChooser {
 public:
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }
};

const PageEntry* FindEntry(std::string_view className) {
  for (auto pages : {LeftSheetPages(), RightSheetPages()})
    for (const PageEntry& entry : pages)
      if (entry.className == className) return &entry;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: slope_screenshot SCHEME.mdb OUTPUT.png [CLASS]\n");
    return 2;
  }
  const std::string database = argv[1];
  const QString output = QString::fromLocal8Bit(argv[2]);
  const PageEntry* entry = FindEntry(argc > 3 ? argv[3] : "CHdmZLQBP");
  if (!entry) {
    std::fprintf(stderr, "no such slope page\n");
    return 2;
  }
  hdmjm::test::UseScreenshotFont();

  StderrMessages messages;
  SilentTrace trace;
  NoProgress progress;
  NoFiles files;
  SchemeSession session(".");
  RoadRecordList records;
  records.push_back(std::make_unique<RoadSectionStore>());
  RoadSectionStore& road = *records.back();
  road.databasePath = database;
  road.roadName = "主线";
  if (!LoadRoad(road, database, road.roadName, Services{&messages, &trace, &progress})) return 1;
  session.ReplaceRoads(std::move(records));

  const PageContext context{session, messages, files, trace};
  auto page = entry->create(*entry, context);
  page->setWindowTitle(ToQString(entry->caption));
  page->resize(760, 560);
  page->move(0, 0);
  page->show();
  page->Initialize();
  if (auto* slopes = dynamic_cast<SlopeEditorPage*>(page.get())) slopes->ShowLevels();

  test::SaveScreenLater(*page, output, 1200);
  return app.exec();
}

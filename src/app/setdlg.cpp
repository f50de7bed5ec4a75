#include "app/setdlg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "app/findings_window.h"
#include "app/page_opener.h"
#include "app/project_panel.h"
#include "app/project_start.h"
#include "app/sheets.h"
#include "pages/dialog_units.h"
#include "pages/edit_commands.h"
#include "pages/qt_text.h"
#include "store/catalogue.h"
#include "store/file_kind.h"
#include "store/messages.h"
#include "store/new_scheme.h"
#include "store/project_paths.h"
#include "store/scheme_convert.h"

namespace hdmjm {
namespace {

// The tables "将左侧数据复制到右侧" and "将右侧数据复制到左侧" copy, in order.
struct SideCopy {
  std::string_view table;
  bool onlyWhenSourceHasRows;  // otherwise the destination ends like the source, empty or not
};
constexpr SideCopy kSideCopies[] = {
    {kWidthLimitTable, false},      {kLandWideningTable, false},   {kGroundInterpTable, false},
    {kEmbankmentSlopeTable, false}, {kCutSlopeTable, false},       {kSideDitchTable, false},
    {kEmbankmentDitchTable, false}, {kInterceptDitchTable, false}, {kOverfillWidthTable, true},
    {kArcSlopeTable, true},
};

// The columns of a table's last row that "设置各分段终里程..." sets to the road's start or end
// station, in order.
enum class RoadStation { None, Start, End };
struct StationColumn {
  std::string_view column;
  RoadStation station = RoadStation::None;
};
struct SegmentEnd {
  std::string_view table;
  Side side;
  StationColumn first;
  StationColumn second = {};
};
constexpr RoadStation kStart = RoadStation::Start;
constexpr RoadStation kEnd = RoadStation::End;
constexpr SegmentEnd kSegmentEnds[] = {
    {kTopsoilTable, kLeft, {"分段终里程", kEnd}},
    {kPavementTable, kLeft, {"分段终里程数", kEnd}},
    {kFillClassTable, kLeft, {"分段终里程", kEnd}},
    {kCutClassTable, kLeft, {"分段终里程", kEnd}},
    {kCutClassTable, kRight, {"分段终里程", kEnd}},
    {kLandTypeTable, kLeft, {"分段终里程数", kEnd}},
    {kWidthLimitTable, kLeft, {"分段终里程", kEnd}},
    {kLandWideningTable, kLeft, {"分段终里程", kEnd}},
    {kGroundInterpTable, kLeft, {"分段终里程", kEnd}},
    {kEmbankmentSlopeTable, kLeft, {"分段终里程", kEnd}},
    {kCutSlopeTable, kLeft, {"分段终里程", kEnd}},
    {kEmbankmentDitchTable, kLeft, {"起始里程", kStart}, {"终止里程", kEnd}},
    {kSideDitchTable, kLeft, {"分段终里程", kEnd}},
    {kInterceptDitchTable, kLeft, {"分段起里程", kStart}, {"分段终里程", kEnd}},
    {kWidthLimitTable, kRight, {"分段终里程", kEnd}},
    {kLandWideningTable, kRight, {"分段终里程", kEnd}},
    {kGroundInterpTable, kRight, {"分段终里程", kEnd}},
    {kEmbankmentSlopeTable, kRight, {"分段终里程", kEnd}},
    {kCutSlopeTable, kRight, {"分段终里程", kEnd}},
    {kEmbankmentDitchTable, kRight, {"起始里程", kStart}, {"终止里程", kEnd}},
    {kSideDitchTable, kRight, {"分段终里程", kEnd}},
    {kInterceptDitchTable, kRight, {"分段起里程", kStart}, {"分段终里程", kEnd}},
};

// The filter of the dialogs that open or create a scheme database.
constexpr char kSchemeFilter[] = "方案数据库 (*.mdb)|*.mdb|All Files(*.*)|*.*||";
constexpr char kNewSchemeName[] = "新方案.mdb";

std::string MissingSchemeMessage(const std::string& database) {
  return "方案数据库" + database + "不存在。";
}

// Where the choosers start: the project opened last, or the designer's home folder.
std::string ChooserFolder() {
  const std::vector<std::string> recent = RecentProjects().List();
  return recent.empty() ? QDir::homePath().toStdString() : recent.front();
}

// What may be typed into the road box: a part of some road's name (the list then offers the
// roads holding it), and only a whole name is taken.
class RoadNameValidator : public QValidator {
 public:
  explicit RoadNameValidator(QComboBox* box) : QValidator(box), box_(box) {}
  State validate(QString& input, int&) const override {
    if (input.isEmpty()) return Intermediate;
    State state = Invalid;
    for (int i = 0; i < box_->count(); ++i) {
      const QString name = box_->itemText(i);
      if (name.compare(input, Qt::CaseInsensitive) == 0) return Acceptable;
      if (name.contains(input, Qt::CaseInsensitive)) state = Intermediate;
    }
    return state;
  }

 private:
  QComboBox* box_;
};

// The road box: its list drops below it, `listHeight` pixels at most, and scrolls. Some styles
// would open a list over the box as tall as all its roads. Typing part of a name lists the roads
// holding it (Down and Enter, or a click, choose one); leaving the box without choosing shows
// the current road's name again.
class RoadListBox : public QComboBox {
 public:
  RoadListBox(QWidget* parent, int listHeight) : QComboBox(parent), listHeight_(listHeight) {
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    auto* completer = new QCompleter(model(), this);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    setCompleter(completer);
    lineEdit()->setValidator(new RoadNameValidator(this));
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(this, &QComboBox::currentIndexChanged, this, [this] { typed_ = false; });
  }

  void showPopup() override {
    const int row = count() > 0 ? std::max(1, view()->sizeHintForRow(0)) : 1;
    const int frame = 2 * view()->frameWidth();
    setMaxVisibleItems(std::max(1, (listHeight_ - frame) / row));
    QComboBox::showPopup();
  }

 protected:
  // Enter and Escape after typing end the typing (Escape shows the current road again); they
  // reach the sheet, to confirm or cancel it, only when nothing was typed. While the list of
  // matching roads is open they are its own: Enter takes the highlighted road, Escape closes it.
  void keyPressEvent(QKeyEvent* event) override {
    const int key = event->key();
    const bool ends = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (!ends || !typed_) return QComboBox::keyPressEvent(event);
    if (completer()->popup()->isVisible()) return event->ignore();
    if (key != Qt::Key_Escape) QComboBox::keyPressEvent(event);
    // Escape, or a name typed in another case: the current road as the list spells it. A part
    // of a name stays typed.
    if (key == Qt::Key_Escape ||
        currentText().compare(itemText(currentIndex()), Qt::CaseInsensitive) == 0)
      ShowCurrent();
    typed_ = currentText() != itemText(currentIndex());
    event->accept();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QComboBox::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) return;
    typed_ = false;
    ShowCurrent();
  }

 private:
  void ShowCurrent() {
    if (currentText() != itemText(currentIndex())) setEditText(itemText(currentIndex()));
  }

  int listHeight_;
  bool typed_ = false;  // the designer typed since the last road was chosen
};

// Index among the table's data columns; -1 when it has no such column.
int DataColumnIndex(const TableDesc& table, Side side, std::string_view name) {
  const std::vector<DataColumn>& columns = table.DataColumns(side);
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i].name == name) return static_cast<int>(i);
  return -1;
}

void SetLastRowStation(RoadSectionStore& record, const TableDesc& table, Side side,
                       const StationColumn& column, double start, double end) {
  if (column.station == RoadStation::None) return;
  const int rows = table.RowCount(record, side);
  const int index = DataColumnIndex(table, side, column.column);
  if (rows < 1 || index < 0) return;
  table.Set(record, side, rows - 1, index, column.station == RoadStation::Start ? start : end);
}

}  // namespace

std::vector<std::string_view> SetDlg::TableNames() {
  std::vector<std::string_view> names;
  for (const SideCopy& copy : kSideCopies) names.push_back(copy.table);
  for (const SegmentEnd& segment : kSegmentEnds) names.push_back(segment.table);
  return names;
}

SetDlg::SetDlg(const PageContext& context, const QString& caption, bool hasLeaveHandler)
    : PropertyPage(context, caption, hasLeaveHandler),
      schemeLabel_(new QLabel(this)),
      segmentEndsButton_(new QPushButton(QStringLiteral("设置各分段终里程..."), this)),
      importButton_(new QPushButton(QStringLiteral("从数据库导入数据..."), this)),
      copyToRightButton_(new QPushButton(QStringLiteral("将左侧数据复制到右侧"), this)),
      copyToLeftButton_(new QPushButton(QStringLiteral("将右侧数据复制到左侧"), this)),
      checkButton_(new QPushButton(QStringLiteral("检查数据..."), this)),
      watcher_(new QFileSystemWatcher(this)),
      changesTimer_(new QTimer(this)),
      changesLabel_(new QLabel(this)),
      reloadButton_(new QPushButton(ToQString(messages::kReloadButton), this)) {
  QFont font = this->font();
  font.setFamilies(
      {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("WenQuanYi Zen Hei")});
  font.setPointSize(10);
  setFont(font);
  const DialogUnits units(font);

  schemeLabel_->setObjectName(QStringLiteral("schemeLabel"));
  schemeLabel_->setGeometry(units.Rect(17, 30, 104, 13));
  auto* roadCaption = new QLabel(QStringLiteral("选择线路："), this);
  roadCaption->setGeometry(units.Rect(122, 30, 40, 10));

  const QRect box = units.Rect(162, 30, 117, 87);  // the height includes the dropped list
  const int boxHeight = QComboBox(this).sizeHint().height();
  roadBox_ = new RoadListBox(this, box.height() - boxHeight);
  roadBox_->setObjectName(QStringLiteral("roadBox"));
  roadBox_->setGeometry(box.x(), box.y(), box.width(), boxHeight);
  connect(roadBox_, &QComboBox::currentIndexChanged, this, &SetDlg::OnRoadSelected);

  const struct {
    QPushButton* button;
    const char* name;
    QRect geometry;
    void (SetDlg::*action)();
  } buttons[] = {
      {segmentEndsButton_, "segmentEndsButton", units.Rect(19, 58, 117, 21),
       &SetDlg::SetSegmentEnds},
      {importButton_, "importButton", units.Rect(162, 58, 117, 21), &SetDlg::ImportDatabase},
      {copyToRightButton_, "copyToRightButton", units.Rect(19, 98, 117, 21), &SetDlg::CopyToRight},
      {copyToLeftButton_, "copyToLeftButton", units.Rect(162, 98, 117, 21), &SetDlg::CopyToLeft},
      {checkButton_, "checkButton", units.Rect(19, 138, 117, 21), &SetDlg::CheckData},
  };
  for (const auto& b : buttons) {
    b.button->setObjectName(QString::fromLatin1(b.name));
    b.button->setGeometry(b.geometry);
    b.button->setAutoDefault(false);  // Enter confirms the sheet, it does not press a button
    connect(b.button, &QPushButton::clicked, this, b.action);
    schemeControls_.push_back(b.button);
  }
  schemeControls_.insert(schemeControls_.end(), {schemeLabel_, roadCaption, roadBox_});

  // What another program changed in the scheme file while the sheet is open.
  changesLabel_->setObjectName(QStringLiteral("changesLabel"));
  changesLabel_->setGeometry(units.Rect(19, 166, 260, 30));
  changesLabel_->setWordWrap(true);
  changesLabel_->hide();
  reloadButton_->setObjectName(QStringLiteral("reloadButton"));
  reloadButton_->setGeometry(units.Rect(162, 138, 117, 21));
  reloadButton_->setAutoDefault(false);
  reloadButton_->hide();
  connect(reloadButton_, &QPushButton::clicked, this, &SetDlg::ReloadChangedRoads);
  // A burst of writes (a save is many) is looked at once, after it.
  changesTimer_->setSingleShot(true);
  changesTimer_->setInterval(300);
  connect(changesTimer_, &QTimer::timeout, this, &SetDlg::LookForChanges);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
    WatchScheme();  // a file replaced by a rename is no longer watched
    changesTimer_->start();
  });

  panel_ = new ProjectPanel(this);
  panel_->hide();
  (new QVBoxLayout(this))->addWidget(panel_);
  connect(panel_, &ProjectPanel::OpenFolder, this, &SetDlg::OpenFolder);
  connect(panel_, &ProjectPanel::OpenScheme, this, &SetDlg::OpenScheme);
  connect(panel_, &ProjectPanel::NewScheme, this, &SetDlg::NewScheme);
  connect(panel_, &ProjectPanel::OpenRecent, this,
          [this](const QString& path) { OpenLocation(path.toStdString()); });
}

SetDlg::~SetDlg() {
  progress_.SetTarget(nullptr);
  Session().ReplaceRoads({});
}

Services SetDlg::RecordServices() {
  return Services{&Context().messages, &Context().trace, &progress_};
}

template <class Change>
void SetDlg::ChangeRecords(Change change) {
  emit RecordsAboutToChange();
  change();
  Refill();  // the page's changes go to the history of the road now current
  emit RecordsChanged();
}

void SetDlg::OnInitialize() {
  if (Session().Paths().source == ProjectSource::None) return ShowNoProject(false);
  OpenProject();
}

void SetDlg::OpenProject() {
  ProjectPaths& paths = Session().Paths();
  if (!ResolveProjectPaths(Session().InstallRoot(), paths, Context().messages))
    return ShowNoProject(paths.source != ProjectSource::None && !paths.projectFolder.empty());
  const std::string database = SchemeDatabasePath(paths);
  std::error_code error;
  if (!std::filesystem::exists(database, error)) {
    Context().messages.Show(MissingSchemeMessage(database));
    return ShowNoProject(true);
  }
  ShowSchemeControls();
  schemeLabel_->setText(QStringLiteral("当前方案名: ") + ToQString(paths.schemeName));
  databasePath_ = database;
  if (IsAccessKind(ProbeFile(database).kind)) OfferConversion();
  if (LoadAllRoads())
    RecentProjects().Remember(paths.source == ProjectSource::SchemeFile ? paths.opened
                                                                        : paths.projectFolder);
}

void SetDlg::OpenLocation(const std::string& path) {
  const ProjectLocation location = LocateProject(path);
  const ProjectPaths paths = OpenedProject(location);
  if (paths.source == ProjectSource::None) {
    Context().messages.Show(LocationProblem(location));
    return;
  }
  Session().Paths() = paths;
  OpenProject();
}

void SetDlg::OpenFolder() {
  if (const auto chosen = Context().files.ChooseFolder("打开项目", ChooserFolder()))
    OpenLocation(*chosen);
}

void SetDlg::OpenScheme() {
  const auto chosen =
      Context().files.ChooseOpenFile("打开方案数据库", ChooserFolder() + "/", kSchemeFilter);
  if (chosen) OpenLocation(*chosen);
}

void SetDlg::NewScheme() {
  const ProjectPaths& paths = Session().Paths();
  const bool named = !paths.schemeName.empty() && IsPlainSchemeName(paths.schemeName);
  const std::string proposed =
      named ? SchemeDatabasePath(paths) : DataFolder(paths) + "/" + kNewSchemeName;
  const auto chosen = Context().files.ChooseSaveFile("新建方案数据库", proposed, kSchemeFilter);
  if (!chosen || !CreateEmptyScheme(*chosen, Context().messages)) return;
  // The scheme the project file names opens as the project; any other as a scheme file.
  if (named && *chosen == proposed) return OpenProject();
  OpenLocation(*chosen);
}

void SetDlg::ShowNoProject(bool offerNewScheme) {
  for (QWidget* control : schemeControls_) control->hide();
  panel_->SetRecent(RecentProjects().List());
  panel_->OfferNewScheme(offerNewScheme);
  panel_->show();
  window()->setWindowTitle(MainSheetTitle());
}

void SetDlg::ShowSchemeControls() {
  panel_->hide();
  for (QWidget* control : schemeControls_) control->show();
}

void SetDlg::ShowTitle() { window()->setWindowTitle(MainSheetTitle(databasePath_)); }

void SetDlg::ShowProgress() {
  progressWnd_ = std::make_unique<ProgressWnd>(this, frames_);
  progress_.SetTarget(progressWnd_.get());
  progressWnd_->ShowNow();
}

void SetDlg::CloseProgress() {
  progress_.SetTarget(nullptr);
  progressWnd_.reset();
}

void SetDlg::OfferConversion() {
  const std::filesystem::path original = AccessOriginalPath(databasePath_);
  const int answer = Context().messages.Choose(
      messages::ConvertQuestion(databasePath_, original.filename().string()),
      {std::string(messages::kConvertButton), std::string(messages::kReadOnlyButton)}, 1,
      std::string(messages::kConvertTitle));
  if (answer != 0) return;
  ShowProgress();
  const InPlaceConversion done = ConvertSchemeInPlace(databasePath_, RecordServices());
  CloseProgress();
  Context().messages.Show(done.result.Converted()
                              ? messages::Converted(databasePath_, done.original.string())
                              : messages::NotConverted(done.result.message));
}

void SetDlg::TellWhereSaved(const SchemeStore& scheme, RoadRecordList& records,
                            const std::string& saveInto) {
  if (!IsAccessKind(scheme.Kind())) {
    if (scheme.ReadOnly()) Context().messages.Show(std::string(messages::kOpenedReadOnly));
    return;
  }
  if (saveInto.empty() || saveInto == databasePath_ || ProbeFile(saveInto).kind != FileKind::Sqlite)
    return Context().messages.Show(std::string(messages::kOpenedAccessReadOnly));
  for (auto& record : records) record->databasePath = saveInto;
  Context().messages.Show(messages::ImportedFromAccess(databasePath_, saveInto));
}

bool SetDlg::LoadAllRoads(const std::string& saveInto) {
  bool opened = false;
  ChangeRecords([&] {
    ShowProgress();
    Session().ReplaceRoads({});  // the previous records go before the new ones are loaded
    auto scheme = std::make_unique<SchemeStore>(RecordServices());
    opened = scheme->Open(databasePath_);
    RoadRecordList records = scheme->TakeRecords();
    if (!opened)
      Context().messages.Show(std::string(messages::kNoRoads));
    else
      TellWhereSaved(*scheme, records, saveInto);
    {
      const QSignalBlocker blocker(roadBox_);
      roadBox_->clear();
      for (const RoadEntry& road : scheme->Roads()) roadBox_->addItem(ToQString(road.name));
      roadBox_->setCurrentIndex(0);
    }
    Session().ReplaceRoads(std::move(records));
    scheme_ = std::move(scheme);
    CloseProgress();
  });
  ShowTitle();
  changedRoads_.clear();
  changesLabel_->hide();
  reloadButton_->hide();
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  if (opened) WatchScheme();
  return opened;
}

void SetDlg::WatchScheme() {
  const QString path = ToQString(databasePath_);
  if (!databasePath_.empty() && !watcher_->files().contains(path) && QFileInfo::exists(path))
    watcher_->addPath(path);
}

RoadSectionStore* SetDlg::RecordNamed(const std::string& road, int* index) const {
  for (int i = 0; i < Session().RoadCount(); ++i)
    if (RoadSectionStore* record = Session().Record(i); record && record->roadName == road) {
      if (index) *index = i;
      return record;
    }
  return nullptr;
}

void SetDlg::LookForChanges() {
  changesTimer_->stop();
  // Reading every table is for a designer who is looking, not for a closed sheet.
  if (!scheme_ || Session().RoadRecords().empty() || !window()->isVisible()) return;
  const SchemeChanges changes = scheme_->FindChanges(Session().RoadRecords());
  changedRoads_ = changes.roads;
  std::string text;
  if (changes.replaced) text = messages::kSchemeReplaced;
  if (!changes.roads.empty()) {
    text += (text.empty() ? "" : "\n") +
            messages::RoadsChangedElsewhere(messages::NameList(changes.roads));
  }
  changesLabel_->setText(ToQString(text));
  changesLabel_->setVisible(!text.empty());
  reloadButton_->setVisible(!changes.roads.empty());
}

void SetDlg::ReloadChangedRoads() {
  std::vector<std::string> kept;
  ChangeRecords([&] {
    for (const std::string& road : changedRoads_) {
      int index = -1;
      RoadSectionStore* record = RecordNamed(road, &index);
      if (!record) continue;
      QUndoStack* history = Session().History().Stack(index);
      if (history && !history->isClean()) {
        kept.push_back(road);
        continue;
      }
      // The record stays where it is: the pages showing it read it again.
      LoadRoad(*record, record->databasePath, road, RecordServices());
      if (history) history->clear();
    }
  });
  if (!kept.empty()) Context().messages.Show(messages::EditedNotReloaded(messages::NameList(kept)));
  LookForChanges();
}

void SetDlg::OnRoadSelected(int index) {
  if (!Session().Record(index)) return;
  ChangeRecords([this, index] { Session().SelectRoad(index); });
}

void SetDlg::CopyToRight() { CopySides(kLeft, kRight); }
void SetDlg::CopyToLeft() { CopySides(kRight, kLeft); }

void SetDlg::CopySides(Side from, Side to) {
  RoadSectionStore* record = Session().CurrentRecord();
  if (!record) return;
  std::vector<TableRef> changed;
  for (const SideCopy& copy : kSideCopies) changed.push_back({copy.table, to});
  const QPushButton* button = to == kRight ? copyToRightButton_ : copyToLeftButton_;
  ChangeRecords([&] {
    RecordChange(*this, button->text(), changed, [&] {
      for (const SideCopy& copy : kSideCopies) {
        const TableDesc* table = FindTable(copy.table);
        Q_ASSERT_X(table, "CopySides", "a table the catalogue lacks");
        if (!table) continue;
        if (copy.onlyWhenSourceHasRows && table->RowCount(*record, from) == 0) continue;
        table->CopySide(*record, from, to);
      }
    });
  });
  Context().messages.Show("完成");
}

void SetDlg::SetSegmentEnds() {
  RoadSectionStore* record = Session().CurrentRecord();
  if (!record) return;
  // Without chain-break rows the road has no stations to set: change nothing.
  const std::optional<RoadExtent> extent = RoadExtentOf(record->chainBreaks);
  if (!extent) {
    Context().messages.Show("断链表中没有道路" + record->roadName +
                            "的起终点里程，各分段终里程未作修改!");
    return;
  }
  const double start = extent->start;
  const double end = extent->end;
  std::vector<TableRef> changed;
  for (const SegmentEnd& segment : kSegmentEnds) changed.push_back({segment.table, segment.side});
  ChangeRecords([&] {
    RecordChange(*this, segmentEndsButton_->text(), changed, [&] {
      for (const SegmentEnd& segment : kSegmentEnds) {
        const TableDesc* table = FindTable(segment.table);
        Q_ASSERT_X(table, "SetSegmentEnds", "a table the catalogue lacks");
        if (!table) continue;
        SetLastRowStation(*record, *table, segment.side, segment.first, start, end);
        SetLastRowStation(*record, *table, segment.side, segment.second, start, end);
      }
    });
  });
  Context().messages.Show("已依据断链表设置分段终点里程!");
}

void SetDlg::ImportDatabase() {
  ResolveProjectPaths(Session().InstallRoot(), Session().Paths(), Context().messages);
  const std::string scheme = SchemeDatabasePath(Session().Paths());
  const std::optional<std::string> chosen =
      Context().files.ChooseOpenFile("打开", scheme, kImportFilter);
  if (!chosen) return;
  databasePath_ = *chosen;
  // An Access file is only read: its data goes into the project's own scheme file.
  LoadAllRoads(scheme);
}

void SetDlg::CheckData() {
  if (!findings_) {
    auto* sheet = qobject_cast<PropertySheet*>(window());
    opener_ = std::make_unique<PageOpener>(Context(), sheet,
                                           [this](int road) { roadBox_->setCurrentIndex(road); });
    findings_ = new FindingsWindow(Context(), *opener_, window());
    connect(this, &PropertyPage::RecordsChanged, findings_, &FindingsWindow::Refresh);
    if (sheet)
      connect(sheet->Tabs(), &QTabWidget::currentChanged, findings_, &FindingsWindow::Refresh);
  }
  findings_->Refresh();
  findings_->show();
  findings_->raise();
  findings_->activateWindow();
}

bool SetDlg::SaveAllRoads() {
  const RoadRecordList& records = Session().RoadRecords();
  if (records.empty() || !scheme_) return true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ShowProgress();
  SaveReport report = scheme_->SaveQuietly(records);
  CloseProgress();
  QApplication::restoreOverrideCursor();
  report = ResolveConflicts(std::move(report));
  scheme_->ShowSaveReport(records.front()->databasePath, report);
  if (!report.AllSaved()) LookForChanges();  // the sheet stays open: what is still different
  return report.AllSaved();
}

SaveReport SetDlg::ResolveConflicts(SaveReport report) {
  const std::vector<std::string> buttons{std::string(messages::kKeepTheirsButton),
                                         std::string(messages::kKeepMineButton),
                                         std::string(messages::kDecideLaterButton)};
  constexpr int kTheirs = 0, kMine = 1, kLater = 2;
  std::set<std::pair<std::string, std::string>> later;  // road, table
  for (;;) {
    bool answered = false;
    // 松方压实系数 holds for the whole scheme: every road meets it, it is asked about once.
    std::map<std::string, int> schemeWide;
    for (const TableConflict& conflict : report.conflicts) {
      if (later.count({conflict.road, conflict.table})) continue;
      RoadSectionStore* record = RecordNamed(conflict.road);
      const bool shared = conflict.desc->Scope() == TableScope::Scheme;
      const auto asked = schemeWide.find(conflict.table);
      const int answer =
          !record ? kLater
          : shared && asked != schemeWide.end()
              ? asked->second
              : Context().messages.Choose(messages::ConflictQuestion(conflict.road, conflict.table,
                                                                     ChangeWords(conflict)),
                                          buttons, kLater, std::string(messages::kConflictTitle));
      if (shared) schemeWide.emplace(conflict.table, answer);
      if (answer == kTheirs) {
        bool read = false;
        ChangeRecords([&] { read = scheme_->KeepTheirs(*record, conflict); });
        answered = answered || read;
        if (!read) later.insert({conflict.road, conflict.table});
      } else if (answer == kMine) {
        SchemeStore::KeepMine(*record, conflict);
        answered = true;
      } else {
        later.insert({conflict.road, conflict.table});
      }
    }
    if (!answered) return report;
    // What was kept is written (or, when the file changed yet again, asked about anew); the
    // rest is already in the file and is left alone.
    report = scheme_->SaveQuietly(Session().RoadRecords());
  }
}

}  // namespace hdmjm

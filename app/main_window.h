#pragma once
// The main window: start-up and persisted state, the zip code list, the distance run,
// the options panel and the result commands.
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include "app/pointer.h"
#include "app/settings.h"
#include "engine/zip_distance.h"
#include "output/text_list_model.h"
#include "output/workbook.h"

class QFocusEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QUrl;

namespace quorvane {

class CaptionProgressBar;
class ListView;
class OptionButton;

inline const QString kProductName = QStringLiteral("Quorvane");
inline const QString kHomePage = QStringLiteral("https://kelvarin.example/quorvane/");
// The one file dialog's filter, for list files and the results text file alike.
inline const QString kTextFileFilter =
    QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
inline const QString kListTooltip = QStringLiteral(
    "Double-click item to remove it. Move | line to right and out of window to reveal full "
    "names.");

// What the window needs from its surroundings; tests replace the parts that would
// open a browser or a spreadsheet program.
struct MainWindowEnvironment {
  QString programFolder;  // dbZips.mdb, x/o.cjs and HAND-M.CUR lie here
  std::function<int()> drawOneToHundred;
  std::function<void(const QUrl&)> openUrl;
  std::function<bool()> spreadsheetPresent;
  std::function<std::unique_ptr<Spreadsheet>()> newSpreadsheet;
  // The zip code list holds at most this many entries: ten million zip codes and more
  // fit, while a file of empty lines cannot fill the memory.
  std::size_t maxListEntries = 20'000'000;
  // The settings store, when it is read elsewhere (load_settings_apart): asked once, when
  // the window first needs it. Without it the window reads the store as it is made.
  std::function<std::unique_ptr<SettingsStore>()> settings = nullptr;
  // The threads a run compares on; 0: one per core.
  unsigned runThreads = 0;

  static MainWindowEnvironment desktop(const QString& programFolder);
};

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(MainWindowEnvironment env, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Start-up: skin, caption, pointer image, home page draw, columns, restored state.
  void startUp();
  // Close: saves the zip code list.
  void saveZipCodeList();

  // Zip code list
  void addZipCodes();
  void loadZipCodesFromFile();
  void loadSample();  // the two sample codes and a reference zip code
  void clearList();
  void removeSelectedZipCode();  // double-click or Delete
  void loadListFile(const QString& path);
  // Distance run
  void startRun();
  // Options panel
  void storeComparisonMode();
  void storeWording();
  void storeTableChoice();
  void explainTables();      // the "?" beside the database options
  void storeReferenceZip();  // on every change of the reference zip code
  void checkReferenceZip();  // when the focus leaves it
  // Results
  void saveResultsAsText();
  void openResultsAsWorkbook();
  // False, after telling the user, when no spreadsheet program is installed.
  bool spreadsheetProgramInstalled();
  void copyResultsToClipboard();
  void clearResults();
  void removeSelectedResult();  // double-click

  TextListModel& zipList() { return *zip_list_; }
  TextListModel& results() { return *results_; }
  ZipDistance& engine() { return engine_; }
  WindowPointer& pointer() { return pointer_; }
  SettingsStore& settings();
  CaptionProgressBar& progressBar() { return *progress_; }
  bool runInProgress() const { return run_in_progress_; }
  bool skinApplied() const { return skin_applied_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class DistanceRun;  // the state of one run, kept between its entries

  void buildControls();
  void connectControls();
  void setupPointerFeedback();
  void applySkin();
  void restoreOption(OptionButton* option, const QString& key, int line);
  void flushResults();
  bool isNumeric(std::string_view text) const;
  bool focusMovesToAnotherControl(const QFocusEvent& event) const;

  MainWindowEnvironment env_;
  std::unique_ptr<SettingsStore> settings_;
  ZipDistance engine_;
  WindowPointer pointer_;
  PointerFeedback* feedback_ = nullptr;
  TextListModel* zip_list_ = nullptr;
  TextListModel* results_ = nullptr;

  ListView* zip_list_view_ = nullptr;
  ListView* results_view_ = nullptr;
  struct Buttons {
    QPushButton* addZipCodes = nullptr;
    QPushButton* loadZipCodesFromFile = nullptr;
    QPushButton* clearList = nullptr;
    QPushButton* loadSample = nullptr;
    QPushButton* startRun = nullptr;
    QPushButton* saveResultsAsText = nullptr;
    QPushButton* openResultsAsWorkbook = nullptr;
    QPushButton* copyResultsToClipboard = nullptr;
    QPushButton* clearResults = nullptr;
    QPushButton* explainTables = nullptr;
  } buttons_;
  struct Frames {
    QGroupBox* comparison = nullptr;
    QGroupBox* wording = nullptr;
    QGroupBox* table = nullptr;
    std::array<QGroupBox*, 3> all() const { return {comparison, wording, table}; }
  } frames_;
  // Each frame's option buttons keep at most one of them selected.
  struct Options {
    OptionButton* consecutiveMode = nullptr;
    OptionButton* referenceMode = nullptr;
    OptionButton* sentenceWording = nullptr;
    OptionButton* zipsAndDistanceWording = nullptr;
    OptionButton* distanceOnlyWording = nullptr;
    OptionButton* use2012Table = nullptr;
    OptionButton* use2016Table = nullptr;
    std::array<OptionButton*, 7> all() const {
      return {consecutiveMode,     referenceMode, sentenceWording, zipsAndDistanceWording,
              distanceOnlyWording, use2012Table,  use2016Table};
    }
  } options_;
  QLineEdit* reference_zip_ = nullptr;
  CaptionProgressBar* progress_ = nullptr;

  std::string decimal_separator_, group_separator_;  // the user's, for the numeric test
  bool run_in_progress_ = false;
  bool closing_ = false;
  bool checking_reference_zip_ = false;
  bool skin_applied_ = false;
  bool shown_once_ = false;
};

}  // namespace quorvane

#pragma once
// The main window: start-up and persisted state, the zip code list, the distance run,
// the options panel and the result commands.
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "pointer.h"
#include "settings.h"
#include "text_list_model.h"
#include "workbook.h"
#include "zip_distance.h"

class QFocusEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QUrl;

namespace quorvane {

class CaptionProgressBar;
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
struct Form1Environment {
  QString programFolder;  // dbZips.mdb, x/o.cjs and HAND-M.CUR lie here
  std::function<int()> drawOneToHundred;
  std::function<void(const QUrl&)> openUrl;
  std::function<bool()> spreadsheetPresent;
  std::function<std::unique_ptr<Spreadsheet>()> newSpreadsheet;
  // The zip code list holds at most this many entries: ten million zip codes and more
  // fit, while a file of empty lines cannot fill the memory.
  std::size_t maxListEntries = 20'000'000;

  static Form1Environment desktop(const QString& programFolder);
};

class Form1 : public QWidget {
  Q_OBJECT
 public:
  explicit Form1(Form1Environment env, QWidget* parent = nullptr);
  ~Form1() override;

  // Start-up: skin, caption, pointer image, home page draw, columns, restored state.
  void Form_Load();
  // Close: saves the zip code list.
  void Form_QueryUnload();

  // Zip code list
  void PushButton6_Click();  // Add Zip Codes
  void PushButton3_Click();  // Load Zip Codes From File
  void PushButton7_Click();  // Load Sample/Example Zip Codes
  void PushButton1_Click();  // Clear List
  void ListView1_Remove();   // double-click or Delete
  void load_list_file(const QString& path);
  // Distance run
  void PushButton17_Click();
  // Options panel
  void comparisonClicked();
  void wordingClicked();
  void databaseClicked();
  void PushButton8_Click();
  void Text1_Change();
  void Text1_LostFocus();
  // Results
  void PushButton4_Click();   // Save Results As Text File
  void PushButton13_Click();  // Save Results As Excel File
  bool SaveResultsAsExcelFileIsExcelInstalled();
  void PushButton5_Click();  // Copy Results To Clipboard
  void PushButton2_Click();  // Clear Results
  void ListView2_DblClick();

  TextListModel& zipList() { return *zip_list_; }
  TextListModel& results() { return *results_; }
  ZipDistance& engine() { return engine_; }
  WindowPointer& pointer() { return pointer_; }
  SettingsStore& settings() { return *settings_; }
  CaptionProgressBar& progressBar() { return *progress_; }
  bool runInProgress() const { return run_in_progress_; }
  bool skinApplied() const { return skin_applied_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void connectControls();
  void setupPointerFeedback();
  void applySkin();
  void restoreOption(int number, int line);
  void appendResult(std::string_view line);
  void flushResults();
  bool isNumeric(std::string_view text) const;
  bool focusMovesToAnotherControl(const QFocusEvent& event) const;

  Form1Environment env_;
  std::unique_ptr<SettingsStore> settings_;
  ZipDistance engine_;
  WindowPointer pointer_;
  PointerFeedback* feedback_ = nullptr;
  TextListModel* zip_list_ = nullptr;
  TextListModel* results_ = nullptr;

  QTableView* list_view1_ = nullptr;
  QTableView* list_view2_ = nullptr;
  QPushButton* buttons_[18] = {};  // by designer number
  QGroupBox* frames_[4] = {};
  OptionButton* options_[8] = {};
  QLineEdit* text1_ = nullptr;
  CaptionProgressBar* progress_ = nullptr;

  std::string decimal_separator_, group_separator_;  // the user's, for the numeric test
  bool run_in_progress_ = false;
  bool closing_ = false;
  bool in_lost_focus_ = false;
  bool skin_applied_ = false;
  bool shown_once_ = false;
};

}  // namespace quorvane

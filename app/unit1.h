#pragma once
// The one window of the program, TForm1: a heading strip, the notebook of
// five pages that lead the user through the work, and the bottom strip with
// the wizard button Button1 and the exit button Button3. Every widget carries
// its layout name as its objectName.
//
// The class is defined by job: unit1.cpp the strips, the page flow and the
// start; settings_page.cpp, table_page.cpp, save_page.cpp and about_page.cpp
// build one page each (file_page.cpp is the first page, a widget of its own);
// collect_run.cpp runs the collects, save_run.cpp the save; form_values.h
// maps the widgets to and from the plain values the engine takes.

#include "merge/collect.h"
#include "merge/result_table.h"
#include "merge/table_history.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QComboBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace merge {
struct DetectedForFiles;
} // namespace merge

namespace app {

class FilePage;
class PreviewPane;
class FindDialog;
class GridModel;
class GridView;
class PageColumn;

class TForm1 : public QWidget {
  Q_OBJECT
public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // The pages in the notebook's order.
  enum Page { kPageFiles = 0, kPageSettings = 1, kPageTable = 2, kPageSave = 3, kPageAbout = 4 };

  merge::ResultTable& Table() { return *table_; }
  static const char* const kStartDirectoryGone;
  // The start directory by its real bytes; empty when the process was
  // started in a directory removed meanwhile (nothing is stored then).
  const std::string& StartDirectory() const { return start_directory_; }

  // The one place a change to the table is recorded for undo: a tool makes
  // its change, then hands its step here (merge/table_history.h). A tool
  // that changes cells calls CloseEditor first, so that an open editor's
  // session is a step of its own before the tool's.
  void RecordStep(std::unique_ptr<merge::HistoryStep> step);
  void CloseEditor();
  // Before a step of `bytes` that the history cannot keep: asks the user,
  // and true means go on without undo (the history is then forgotten).
  bool MayGoOnWithoutUndo(std::size_t bytes);
  merge::TableHistory& History() { return history_; }

  // Makes a page active without raising PageControl1Change.
  void SetActivePage(int index);

  // Where a further option goes: a row below the last one of "Настройка"
  // (AddRow), or beside "Использовать UTF8" on "Сохранить".
  PageColumn& SettingsRows() { return *settings_rows_; }
  QHBoxLayout* Utf8Row() { return utf8_row_; }

  // Heading and bottom strips.
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QWidget* TabSheet1 = nullptr;
  QWidget* TabSheet2 = nullptr;
  QWidget* TabSheet3 = nullptr;
  QWidget* TabSheet4 = nullptr;
  QWidget* TabSheet5 = nullptr;
  QFrame* Panel3 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button3 = nullptr;
  // The status line under the pages: the table's size after a collect or an
  // edit, the file written by a save, a collect cancelled part way.
  QStatusBar* StatusBar1 = nullptr;

  // "Выбрать файлы".
  FilePage* FilePage1 = nullptr;

  // "Настройка".
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QComboBox* Edit2 = nullptr;
  QCheckBox* CheckBox6 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label12 = nullptr;      // "Кодировка файлов"
  QComboBox* ComboBox3 = nullptr; // what the source files are taken to be
  QCheckBox* CheckBox7 = nullptr; // "Учитывать кавычки"
  QCheckBox* CheckBox8 = nullptr; // "Первая строка — заголовок"
  QCheckBox* CheckBox9 = nullptr; // "Сопоставлять столбцы по заголовкам"
  QLineEdit* Edit4 = nullptr;     // the name column's caption in a header row
  QCheckBox* CheckBox12 = nullptr; // "первым столбцом": the name column first
  // Beside the options: "Определить" and the preview of a ticked file.
  PreviewPane* Preview1 = nullptr;

  // "Искомая таблица".
  GridView* StringGrid1 = nullptr;
  QMenu* PopupMenu2 = nullptr;
  QAction* N4 = nullptr;
  QAction* N5 = nullptr;
  QAction* N6 = nullptr;
  QAction* N7 = nullptr;
  QAction* N8 = nullptr;         // "Отменить" (Ctrl+Z)
  QAction* N9 = nullptr;         // "Повторить" (Ctrl+Y, Ctrl+Shift+Z)
  QAction* N10 = nullptr;        // "Копировать" (Ctrl+C)
  QAction* N11 = nullptr;        // "Вырезать" (Ctrl+X)
  QAction* N12 = nullptr;        // "Вставить" (Ctrl+V)
  QAction* N13 = nullptr;        // "Удалить строки"
  QAction* N14 = nullptr;        // "Удалить столбцы"
  QAction* N15 = nullptr;        // "Вставить строку"
  QAction* N16 = nullptr;        // "Вставить столбец"
  QAction* ClearCells = nullptr; // Delete: empties the selected cells
  // Tidying the table (sort_run.cpp, find_dialog.cpp, dedupe_run.cpp).
  QAction* N17 = nullptr; // "Сортировать по возрастанию" (the current column)
  QAction* N18 = nullptr;            // "Сортировать по убыванию"
  QAction* N19 = nullptr;            // "Найти…" (Ctrl+F)
  QAction* N20 = nullptr;            // "Заменить…" (Ctrl+H)
  QAction* N21 = nullptr;            // "Удалить повторяющиеся строки"
  QMenu* PopupMenu3 = nullptr;       // a column header's menu: the two sorts
  FindDialog* FindDialog1 = nullptr; // "Найти и заменить", made when first asked for
  QAction* Numbering = nullptr; // "Нумерация строк и столбцов", a view option

  // "Сохранить".
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button4 = nullptr;
  QCheckBox* CheckBox3 = nullptr;
  QCheckBox* CheckBox4 = nullptr;
  QCheckBox* CheckBox11 = nullptr; // "BOM": a UTF-8 file starts with the byte-order mark
  QComboBox* ComboBox2 = nullptr;
  QCheckBox* CheckBox5 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QCheckBox* CheckBox10 = nullptr; // "Кавычки при сохранении"

  // "О программе".
  QLabel* Label8 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;

public slots:
  void FormCreate();
  void Button1Click();
  void PageControl1Change();
  void Button3Click();
  void Button2Click();
  void Button4Click();
  void N4Click();
  void N5Click();
  void N6Click();
  void N7Click();
  void N8Click();
  void N9Click();
  void N10Click();
  void N11Click();
  void N12Click();
  void N13Click();
  void N14Click();
  void N15Click();
  void N16Click();
  void ClearCellsClick();
  void Button5Click();
  void N17Click();
  void N18Click();
  void N19Click();
  void N20Click();
  void N21Click();

protected:
  // A folder or files dropped onto the window are shown on the first page
  // (window_drops.cpp).
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // init.ini in the start directory: read once at start, written after
  // every successful save.
  void LoadSettings();
  void StoreSettings();
  std::string SettingsFilePath() const;

  void BuildStrips();
  void ShowTableSize();
  void BuildSettingsPage();
  void BuildTablePage();
  void BuildEditItems();
  // Records the step of a tool that changed the table; none: nothing changed.
  void RecordToolStep(std::unique_ptr<merge::HistoryStep> step);
  void BuildSavePage();
  void BuildAboutPage();
  void BindPageShortcuts();
  // Matching by header names only for stacked files with a header; quoting
  // on saving takes the place of the "#" escape.
  void UpdateMatchHeadersEnabled();
  // The preview and the found options (reading_detection.cpp).
  void BuildPreview(QWidget* options);
  void SchedulePreview();
  void UpdatePreview();
  std::vector<std::string> TickedPaths() const;
  merge::DetectedForFiles DetectTickedFiles(int* ticked) const;
  void ApplyDetected(const merge::DetectedForFiles& found);
  // Before "Собрать": false when the user, asked about options that look
  // wrong, cancelled.
  bool ConfirmReadingOptions();
  void UpdateEscapeEnabled();
  void StepPage(int step);
  void UserPageChanged(int index);

  // Button1's caption and visibility for the page shown.
  void ShowButton1ForPage();
  // Button1's caption on `page` (the page table in unit1.cpp).
  static QString Button1Caption(Page page);

  // Runs a collecting driver over the check list with the progress dialog,
  // setting Button1's caption after every item.
  using CollectDriver = merge::CollectSummary (*)(merge::ResultTable&, merge::CandidateList&,
                                                  const merge::CollectOptions&,
                                                  const merge::AfterItem&, platform::Progress*);
  // `clears_first`: the driver starts with ClearAll, so the old table is
  // kept whole for undo.
  void RunCollect(CollectDriver driver, bool clears_first);

  // The tidying tools' items in the grid's menu, the header's menu, and
  // sorting by a column (its table index) on a helper thread.
  void BuildTidyItems();
  void SortByColumn(int table_col, bool descending);
  // The table column of the grid's current cell; -1 when there is none.
  int CurrentTableColumn() const;
  void ShowFindDialog(bool replace);
  // The column sorted last and how, so that a second Ctrl+click turns it round.
  int last_sorted_col_ = -1;
  bool last_sort_descending_ = false;

  std::unique_ptr<merge::ResultTable> table_;
  merge::TableHistory history_;
  std::unique_ptr<PageColumn> settings_rows_;
  std::unique_ptr<PageColumn> save_rows_;
  std::unique_ptr<PageColumn> about_rows_;
  QHBoxLayout* utf8_row_ = nullptr;
  GridModel* grid_model_ = nullptr;
  std::string start_directory_;
  QString last_save_dialog_name_; // the name last confirmed in the save dialog
  bool setting_page_ = false;
  bool preview_pending_ = false;
};

} // namespace app

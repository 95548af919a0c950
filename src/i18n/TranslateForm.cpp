#include "i18n/TranslateForm.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QTableWidget>

#include "about/InfoForm.h"
#include "frontend/EventGuard.h"
#include "frontend/MainForm.h"
#include "frontend/WindowGeometry.h"
#include "i18n/TextCatalogue.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"

namespace ratemill {
namespace {

constexpr int kNameColumn = 0;
constexpr int kTextColumn = 1;
constexpr int kNameWidth = 150;
constexpr int kTextWidth = 700;
constexpr int kRowHeight = 18;

// Profile values lose their outer blanks when read; the editor drops them on
// the way out, so that what it writes is what every reader will see.
std::u16string TrimBlanks(const std::u16string& text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

TTranslateForm::TTranslateForm(const platform::TServices& services, QWidget* parent)
    : QDialog(parent), FServices(services) {
  setWindowTitle("Ratemill - Programm übersetzen");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  // Fixed size and a font sized in pixels, as the main window has them and
  // for the same reason: the layout was made for them.
  setFixedSize(769, 399);
  QFont font("Tahoma");
  font.setPixelSize(11);  // 8 points on a 96 dpi screen
  setFont(font);

  SaveTranslationButton = new QPushButton("Speichern", this);
  SaveTranslationButton->setGeometry(686, 366, 75, 25);
  CancelEditTranslationButton = new QPushButton("abbrechen", this);
  CancelEditTranslationButton->setGeometry(8, 368, 75, 25);
  CreateGrid();

  setTabOrder(SaveTranslationButton, CancelEditTranslationButton);
  setTabOrder(CancelEditTranslationButton, TranslateGrid);

  connect(SaveTranslationButton, &QPushButton::clicked, this, Guarded([this] { SaveTranslationButtonClick(); }));
  connect(CancelEditTranslationButton, &QPushButton::clicked, this,
          Guarded([this] { CancelEditTranslationButtonClick(); }));

  FormCreate();
}

void TTranslateForm::CreateGrid() {
  TranslateGrid = new QTableWidget(0, 2, this);
  TranslateGrid->setGeometry(8, 8, 753, 354);
  TranslateGrid->setHorizontalHeaderLabels({"Name", "Text"});
  TranslateGrid->verticalHeader()->hide();
  TranslateGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  TranslateGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  QHeaderView* columns = TranslateGrid->horizontalHeader();
  columns->setSectionResizeMode(QHeaderView::Fixed);
  columns->setSectionsMovable(false);
  columns->setSectionsClickable(false);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  TranslateGrid->setColumnWidth(kNameColumn, kNameWidth);
  TranslateGrid->setColumnWidth(kTextColumn, kTextWidth);
  TranslateGrid->setSortingEnabled(false);
  TranslateGrid->setDragDropMode(QAbstractItemView::NoDragDrop);
  TranslateGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  TranslateGrid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  TranslateGrid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  TranslateGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);

  // The toolkit has no fixed column: a second view of the same model shows
  // only the names, lies over the grid's left edge and scrolls up and down
  // with it, so sideways scrolling moves the texts beneath it alone.
  FixedColumnView = new QTableView(TranslateGrid);
  FixedColumnView->setModel(TranslateGrid->model());
  FixedColumnView->setSelectionModel(TranslateGrid->selectionModel());
  FixedColumnView->setFocusPolicy(Qt::NoFocus);
  FixedColumnView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FixedColumnView->verticalHeader()->hide();
  FixedColumnView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FixedColumnView->verticalHeader()->setDefaultSectionSize(kRowHeight);
  FixedColumnView->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FixedColumnView->horizontalHeader()->setSectionsClickable(false);
  FixedColumnView->horizontalHeader()->setHighlightSections(false);
  FixedColumnView->setColumnHidden(kTextColumn, true);
  FixedColumnView->setColumnWidth(kNameColumn, kNameWidth);
  FixedColumnView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FixedColumnView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FixedColumnView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  FixedColumnView->setFrameShape(QFrame::NoFrame);
  TranslateGrid->viewport()->stackUnder(FixedColumnView);
  connect(FixedColumnView->verticalScrollBar(), &QScrollBar::valueChanged, TranslateGrid->verticalScrollBar(),
          &QScrollBar::setValue);
  connect(TranslateGrid->verticalScrollBar(), &QScrollBar::valueChanged, FixedColumnView->verticalScrollBar(),
          &QScrollBar::setValue);
  PlaceFixedColumn();

  connect(TranslateGrid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { UpdateToolTip(item); });
}

void TTranslateForm::PlaceFixedColumn() {
  const int frame = TranslateGrid->frameWidth();
  FixedColumnView->setGeometry(frame, frame, TranslateGrid->columnWidth(kNameColumn),
                               TranslateGrid->viewport()->height() + TranslateGrid->horizontalHeader()->height());
}

void TTranslateForm::UpdateToolTip(QTableWidgetItem* item) {
  // Only a text cut off by its column needs the tool tip to be read whole.
  const int margin =
      2 * (TranslateGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, TranslateGrid) + 1);
  const QString text = item->text();
  const bool cut =
      TranslateGrid->fontMetrics().horizontalAdvance(text) + margin > TranslateGrid->columnWidth(item->column());
  item->setToolTip(cut ? text : QString());
}

void TTranslateForm::FormCreate() { ApplyLanguage(); }

void TTranslateForm::ApplyLanguage() {
  const platform::TIniFile file(LanguageFileName(FServices.DataDir));
  CancelEditTranslationButton->setText(QString::fromStdString(ReadWindowText(file, TTextId::TranslationCancelButton)));
  SaveTranslationButton->setText(QString::fromStdString(ReadWindowText(file, TTextId::TranslationSaveButton)));
  setWindowTitle(QString::fromStdString(ReadWindowText(file, TTextId::TranslationWindowCaption)));
}

void TTranslateForm::FillGrid() {
  const platform::TIniFile file(LanguageFileName(FServices.DataDir));
  TranslateGrid->setRowCount(0);
  TranslateGrid->setRowCount(static_cast<int>(kTextCount));
  for (const TTextRow& row : TextCatalogue()) {
    auto* name = new QTableWidgetItem(QString::fromStdString(row.GridLabel));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    TranslateGrid->setItem(row.Row, kNameColumn, name);
    UpdateToolTip(name);
  }
  for (const TTextRow& row : TextCatalogue()) {
    const std::string text = ReadEditorText(file, static_cast<TTextId>(row.Row));
    auto* cell = new QTableWidgetItem(QString::fromStdU16String(platform::AnsiToUtf16(text)));
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    TranslateGrid->setItem(row.Row, kTextColumn, cell);
    UpdateToolTip(cell);
  }
  TranslateGrid->scrollToTop();
  TranslateGrid->horizontalScrollBar()->setValue(0);
}

void TTranslateForm::SaveGrid() {
  // A grid that was never filled holds none of the texts: writing it would
  // empty every entry of the file.
  if (TranslateGrid->rowCount() != static_cast<int>(kTextCount)) return;
  CommitOpenEditor();
  // Every row goes into the one file object, which writes them all at once
  // in `UpdateFile`: a failure leaves the old file, never some of the rows.
  platform::TIniFile file(LanguageFileName(FServices.DataDir));
  for (const TTextRow& row : TextCatalogue()) {
    const QTableWidgetItem* cell = TranslateGrid->item(row.Row, kTextColumn);
    const std::u16string text = cell ? TrimBlanks(cell->text().toStdU16String()) : std::u16string();
    WriteEditorText(file, static_cast<TTextId>(row.Row), platform::Utf16ToAnsi(text));
  }
  file.UpdateFile();
}

void TTranslateForm::CommitOpenEditor() {
  // A cell still being edited holds the user's newest text in its editor only.
  if (QWidget* editor = TranslateGrid->indexWidget(TranslateGrid->currentIndex())) {
    emit TranslateGrid->itemDelegate()->commitData(editor);
  }
}

void TTranslateForm::SaveTranslationButtonClick() {
  // A failed save throws out of here before anything is re-applied or the
  // window closes, so the user's texts stay in the grid.
  SaveGrid();
  ApplyLanguage();
  if (FMainForm) FMainForm->ApplyLanguage();
  if (FInfoForm) FInfoForm->ApplyLanguage();
  accept();
}

void TTranslateForm::CancelEditTranslationButtonClick() { reject(); }

void TTranslateForm::showEvent(QShowEvent* event) {
  CentreOnScreen(*this, screen());
  QDialog::showEvent(event);
  PlaceFixedColumn();
}

}  // namespace ratemill

// The Info window's text, copying and printing a text, printing pages into PDF files (checked
// by rasterising them) and the snapshot.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <memory>

#include "document/TFlyer.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "player/InfoText.h"
#include "player/PagePrinting.h"
#include "player/PlayerFakes.h"
#include "player/TCPlayerForm.h"
#include "player/TFlyerPanel.h"
#include "player/TFlyerInfoForm.h"
#include "player/TFlyerOutput.h"
#include "player/TFormPrinting.h"
#include "player/TNavBarPanel.h"
#include "support/TempDir.h"

namespace qrl {

using test::FakePrompts;

namespace {

// Page colours: the background page's, then pages 1 to 3.
const TColor kPageColours[] = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000};

void WriteColourFlyer(const std::string& path, int width = 640, int height = 340) {
  TFlyerDesc f;
  TInfoDesc info;
  info.Width = width;
  info.Height = height;
  info.Sections = {{0, "Flyer Info", {{"Title", {"Colours"}}}},
                   {0, "Contact", {{"Name", {"Anna"}}, {"Address", {"Main Street 1", "Springfield"}}}}};
  f.Blocks.push_back(info);
  TElementDesc text;
  text.Id = 1;
  text.Lines = {"First line of the text", "Second line"};
  TOccurrenceDesc o;
  o.Placement = {20, 20, 200, 60};
  text.Occurrences = {o};
  f.Blocks.push_back(text);
  for (int i = 0; i < 4; ++i) {
    TPageDesc page;
    page.Colour = kPageColours[i];
    if (i == 1) page.Refs = {{1, 1, 0}};
    f.Blocks.push_back(page);
  }
  WriteFlyerFile(f, path);
}

std::unique_ptr<TTextSection> Section(const std::string& name,
                                      std::vector<std::pair<std::string, TStrings>> entries) {
  auto section = std::make_unique<TTextSection>();
  section->Name = name;
  for (auto& [key, lines] : entries) section->SetValue(key, lines, -1);
  return section;
}

// The pages of a PDF file as pictures, 20 dots per inch.
std::vector<QImage> Rasterise(const QString& pdf) {
  const QString prefix = pdf + QStringLiteral(".page");
  QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), pdf, prefix});
  std::vector<QImage> pages;
  const QDir folder = QFileInfo(pdf).dir();
  QStringList names = folder.entryList({QFileInfo(prefix).fileName() + QStringLiteral("-*.png")}, QDir::Files, QDir::Name);
  for (const QString& name : names) pages.emplace_back(folder.filePath(name));
  return pages;
}

// Whether a printed pixel shows the flyer colour (0x00BBGGRR), give or take the PDF's rounding.
bool Near(QRgb pixel, TColor colour) {
  return std::abs(qRed(pixel) - static_cast<int>(colour & 0xFF)) <= 8 &&
         std::abs(qGreen(pixel) - static_cast<int>((colour >> 8) & 0xFF)) <= 8 &&
         std::abs(qBlue(pixel) - static_cast<int>((colour >> 16) & 0xFF)) <= 8;
}

// The box of pixels that are not white.
QRect InkBox(const QImage& page) {
  QRect box;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if (qGray(page.pixel(x, y)) < 240) box |= QRect(x, y, 1, 1);
  return box;
}

}  // namespace

class PrintingTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  test::FakeServices fakes_;
  FakePrompts& prompts_ = fakes_.prompts;

  std::unique_ptr<TCPlayerForm> OpenForm(const QString& path, std::vector<std::string> arguments = {"-t"}) {
    auto form = std::make_unique<TCPlayerForm>(fakes_.Services(), arguments);
    form->show();
    form->StartUp();
    form->RequestOpen(path);
    return form;
  }
  QString Path(const char* name) const { return QString::fromStdString(dir_->File(name)); }

  // The Print dialog prints into a PDF file, choosing all pages or a range.
  void PrintTo(const QString& pdf, bool range = false, int from = 0, int to = 0,
               QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    prompts_.onPrintDialog = [=, this](QPrinter& printer, int minPage, int maxPage, int currentPage) {
      lastDialog_ = {minPage, maxPage, currentPage};
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(orientation);
      return TPrintChoice{true, range, from, to};
    };
  }
  std::array<int, 3> lastDialog_{};

 private slots:
  void init() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
      QSKIP("pdftoppm is not installed (scripts/setup.sh installs poppler-utils)");
    dir_ = std::make_unique<test::TempDir>();
    prompts_ = FakePrompts();
  }
  void cleanup() { dir_.reset(); }

  void infoLines() {
    TTextSections sections;
    QVERIFY(InfoLines(sections).isEmpty());
    sections.push_back(Section("Flyer Info", {{"Title", {"Hidden"}}}));
    // The first section alone shows nothing.
    QVERIFY(InfoLines(sections).isEmpty());
    sections.push_back(Section("Flyer Info", {{"Title", {"Spring"}}, {"Address", {"Main Street 1", "Springfield"}},
                                              {"A key of twenty char", {"cut"}}}));
    sections.push_back(Section("Caf\xe9", {{"Phone", {"123"}}}));
    QCOMPARE(InfoLines(sections), QStringList({QStringLiteral("FLYER INFO"),
                                               QStringLiteral("Title:           Spring"),
                                               QStringLiteral("Address:"),
                                               QStringLiteral("  Main Street 1"),
                                               QStringLiteral("  Springfield"),
                                               QString(),
                                               QStringLiteral("A key of twenty  cut"),
                                               QString(),
                                               QStringLiteral("CAF\u00c9"),
                                               QStringLiteral("Phone:           123")}));

    TFlyerInfoForm form;
    form.FillInfo(sections);
    QCOMPARE(form.windowTitle(), QStringLiteral("Quireleaf Info"));
    QCOMPARE(form.size(), QSize(427, 256));
    QVERIFY(form.memInfo->isReadOnly());
    QVERIFY(form.memInfo->toPlainText().startsWith(QStringLiteral("FLYER INFO\nTitle:")));
  }

  void infoButtonCopyAndPrintText() {
    WriteColourFlyer(dir_->File("c.qrl"));
    auto form = OpenForm(Path("c.qrl"));

    // The Info button shows the flyer's sections.
    QString shown;
    QTimer::singleShot(0, [&] {
      auto* info = qobject_cast<TFlyerInfoForm*>(QApplication::activeModalWidget());
      if (info == nullptr) return;
      shown = info->memInfo->toPlainText();
      info->btnOk->click();
    });
    QTest::mouseClick(form->pnlButtons()->wsbInfo, Qt::LeftButton);
    QCOMPARE(shown, QStringLiteral("CONTACT\nName:            Anna\nAddress:\n  Main Street 1\n  Springfield"));

    // A right click on the text offers to copy and print it.
    form->pnlFlyerMouseDown(form->pnlFlyer(), Qt::RightButton, {40, 40}, {40, 40});
    QVERIFY(form->PupCopyText->isVisible());
    QVERIFY(form->PupPrintText->isVisible());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    form->PupCopyText->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("First line of the text\r\nSecond line\r\n"));

    const QString pdf = Path("text.pdf");
    form->Output().TextPrinter = [pdf] {
      auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer->setOutputFormat(QPrinter::PdfFormat);
      printer->setOutputFileName(pdf);
      return printer;
    };
    form->PupPrintText->trigger();
    QVERIFY(prompts_.messages.isEmpty());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished());
    QCOMPARE(QString::fromUtf8(text.readAllStandardOutput()).simplified(),
             QStringLiteral("First line of the text Second line"));
  }

  void allPagesARangeAndNeverTheBackground() {
    WriteColourFlyer(dir_->File("c.qrl"));
    auto form = OpenForm(Path("c.qrl"));
    form->GoToPage(2, true);

    PrintTo(Path("all.pdf"));
    form->MenPrint->trigger();
    QCOMPARE(lastDialog_, (std::array<int, 3>{1, 3, 2}));
    std::vector<QImage> pages = Rasterise(Path("all.pdf"));
    QCOMPARE(pages.size(), std::size_t{3});
    for (int i = 0; i < 3; ++i) QVERIFY(Near(pages[i].pixel(InkBox(pages[i]).center()), kPageColours[i + 1]));

    PrintTo(Path("range.pdf"), true, 3, 3);
    form->PupPrintPage->trigger();
    pages = Rasterise(Path("range.pdf"));
    QCOMPARE(pages.size(), std::size_t{1});
    QVERIFY(Near(pages[0].pixel(InkBox(pages[0]).center()), kPageColours[3]));
    QVERIFY(prompts_.messages.isEmpty());
    // The progress window is gone.
    QVERIFY(form->findChild<TFormPrinting*>() == nullptr);
  }

  void cancelAfterTheFirstPageAbortsTheJob() {
    WriteColourFlyer(dir_->File("c.qrl"));
    auto form = OpenForm(Path("c.qrl"));
    PrintTo(Path("cancelled.pdf"));
    int printedBeforeCancel = 0;
    QTimer::singleShot(0, [&] {
      auto* progress = form->findChild<TFormPrinting*>();
      QVERIFY(progress != nullptr);
      QCOMPARE(progress->windowTitle(), QStringLiteral("Printing..."));
      QCOMPARE(progress->pnlFile->toolTip(), Path("c.qrl"));
      printedBeforeCancel = progress->pnlPage->text().toInt();
      // A close slipping in meanwhile leaves the flyer to the printer.
      form->RequestClose(false);
      QVERIFY(form->Flyer() != nullptr);
      QTest::mouseClick(progress->btnCancel, Qt::LeftButton);
    });
    form->MenPrint->trigger();
    QCOMPARE(printedBeforeCancel, 1);
    QVERIFY(!QFileInfo::exists(Path("cancelled.pdf")));
    QVERIFY(form->findChild<TFormPrinting*>() == nullptr);
  }

  void aPrinterErrorIsShownAndTheJobEnds() {
    WriteColourFlyer(dir_->File("c.qrl"));
    auto form = OpenForm(Path("c.qrl"));
    PrintTo(Path("missing/folder/out.pdf"));
    form->MenPrint->trigger();
    QCOMPARE(prompts_.messages, QStringList({QStringLiteral("The printer could not be opened.")}));
    QVERIFY(form->findChild<TFormPrinting*>() == nullptr);
    // The window's own page is drawn at its own size afterwards.
    QCOMPARE(form->Flyer()->AreaWidth, 640);
  }

  void landscapeFillsTheWidthPortraitTheHeight() {
    WriteColourFlyer(dir_->File("wide.qrl"), 640, 340);
    WriteColourFlyer(dir_->File("tall.qrl"), 300, 600);
    for (const char* name : {"wide.qrl", "tall.qrl"}) {
      auto form = OpenForm(Path(name));
      const QString pdf = Path(name) + QStringLiteral(".pdf");
      PrintTo(pdf, true, 2, 2);
      form->MenPrint->trigger();
      const std::vector<QImage> pages = Rasterise(pdf);
      QCOMPARE(pages.size(), std::size_t{1});
      const QRect ink = InkBox(pages[0]);
      QPrinter a4(QPrinter::HighResolution);
      a4.setPageSize(QPageSize(QPageSize::A4));
      const QRectF printable = a4.pageLayout().paintRect(QPageLayout::Inch);
      const double width = printable.width() * 20;
      const double height = printable.height() * 20;
      if (QByteArray(name) == "wide.qrl") {
        QVERIFY2(std::abs(ink.width() - width) <= 2, qPrintable(QString::number(ink.width())));
        QVERIFY(std::abs(ink.height() - width * 340 / 640) <= 2);
      } else {
        QVERIFY2(std::abs(ink.height() - height) <= 2, qPrintable(QString::number(ink.height())));
        QVERIFY(std::abs(ink.width() - height * 300 / 600) <= 2);
      }
    }
  }

  void printSizes() {
    // The rule for the printed size, and the drawing resolution: the printer's up to 600 dpi.
    QCOMPARE(PrintedSize({640, 340}, {4800, 6800}), QSize(4800, 2550));
    QCOMPARE(PrintedSize({300, 600}, {4800, 6800}), QSize(3400, 6800));
    QCOMPARE(PrintedSize({0, 340}, {4800, 6800}), QSize());
    QCOMPARE(PrintRenderSize({4800, 2550}, 600), QSize(4800, 2550));
    QCOMPARE(PrintRenderSize({9600, 5100}, 1200), QSize(4800, 2550));
  }

  void snapshotReplacesTheBitmapBesideTheFlyer() {
    WriteColourFlyer(dir_->File("snap.v1.qrl"));
    {
      QFile old(Path("snap.v1.BMP"));
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("old");
    }
    auto plain = OpenForm(Path("snap.v1.qrl"));
    QVERIFY(!plain->MenSnapshot->isVisible());
    plain.reset();

    auto form = OpenForm(Path("snap.v1.qrl"), {"-t", "-d"});
    QVERIFY(form->MenSnapshot->isVisible());
    form->MenSnapshot->trigger();
    QVERIFY(prompts_.messages.isEmpty());
    const QImage snapshot(Path("snap.v1.BMP"), "BMP");
    QCOMPARE(snapshot.size(), form->centralWidget()->size());
    QVERIFY(Near(snapshot.pixel(600, 300), kPageColours[1]));
    QCOMPARE(QDir(Path("")).entryList(QDir::Files | QDir::Hidden).size(), 2);
  }
};

}  // namespace qrl

QTEST_MAIN(qrl::PrintingTest)
#include "PrintingTest.moc"

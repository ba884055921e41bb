// tarvik_dialog: shows the exception reporter's windows for a program that may be crashing. Reads
// one request from standard input (TarvikDialogProtocol.h), shows the exception dialog, the request
// for the steps to reproduce or the SMTP progress window, and writes its reply to standard output.
// Without a display it writes the report to standard error and replies that nothing was shown.
// TARVIK_DIALOG_SCRIPT (commands separated by ';') drives the windows for the tests.
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "exceptions/base/TarvikTexts.h"
#include "exceptions/deliver/TarvikDialogClient.h"
#include "exceptions/deliver/TarvikDialogLayout.h"
#include "exceptions/deliver/TarvikDialogProtocol.h"
#include "exceptions/report/TarvikScreenshot.h"

namespace {
TDialogMessage Request;
std::vector<std::string> Texts;

std::string Text(int I) {
  if (I >= 0 && I < static_cast<int>(Texts.size())) return Texts[I];
  return I >= 0 && I < CustomizedTextCount ? DefaultCustomizedTexts[I] : "";
}
QString QText(int I) { return QString::fromStdString(Text(I)); }
bool Option(const char* Name) { return DialogField(Request, Name, "0") == "1"; }

bool WriteAll(int Fd, const std::string& Bytes) {
  size_t Done = 0;
  while (Done < Bytes.size()) {
    ssize_t W = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) return false;
    Done += static_cast<size_t>(W);
  }
  return true;
}

void Reply(const TDialogReply& R) { WriteAll(STDOUT_FILENO, EncodeDialogMessage(EncodeDialogReply(R))); }

// Reads standard input until one whole message is in; false at its end or on damage.
std::string Pending;
bool ReadMessage(TDialogMessage& M, bool Block) {
  for (;;) {
    size_t Used = 0;
    std::string Error;
    TDialogParse P = ParseDialogMessage(Pending, M, Used, Error);
    if (P == TDialogParse::Complete) {
      Pending.erase(0, Used);
      return true;
    }
    if (P == TDialogParse::Damaged) {
      std::fprintf(stderr, "tarvik_dialog: damaged request: %s\n", Error.c_str());
      return false;
    }
    char Buf[65536];
    ssize_t N = ::read(STDIN_FILENO, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) return false;
    Pending.append(Buf, static_cast<size_t>(N));
    if (!Block) {
      size_t U = 0;
      std::string E;
      TDialogMessage Probe;
      if (ParseDialogMessage(Pending, Probe, U, E) == TDialogParse::NeedMore) return false;
    }
  }
}

QFont FixedFont() {
  QFont F = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  F.setPixelSize(11);  // 8 points at 96 pixels per inch
  return F;
}

// Small list icons, one colour per kind.
QIcon ListIcon(const std::string& Kind) {
  QPixmap P(16, 16);
  P.fill(Kind == "PAS" ? QColor(40, 120, 40) : Kind == "VCL" ? QColor(40, 80, 160) : Kind == "BPL" ? QColor(160, 100, 20) : QColor(110, 110, 110));
  return QIcon(P);
}

QTreeWidget* MakeList(const std::vector<int>& Headers, const std::array<int, 6>& Widths, const std::vector<int>& RightColumns,
                      const std::vector<std::string>& Rows) {
  auto* L = new QTreeWidget;
  L->setColumnCount(6);
  QStringList H;
  for (int T : Headers) H << QText(T);
  L->setHeaderLabels(H);
  L->setRootIsDecorated(false);
  L->setSelectionBehavior(QAbstractItemView::SelectRows);
  L->setFont(FixedFont());
  L->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  L->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  L->setStyleSheet("QTreeWidget { background: white; color: black; }");
  for (int C = 0; C < 6; ++C) L->setColumnWidth(C, Widths[C]);
  for (const std::string& Row : Rows) {
    std::vector<std::string> Cells;
    std::stringstream S(Row);
    std::string Cell;
    while (std::getline(S, Cell, '\t')) Cells.push_back(Cell);
    Cells.resize(7);
    auto* Item = new QTreeWidgetItem;
    for (int C = 0; C < 6; ++C) Item->setText(C, QString::fromStdString(Cells[C]));
    for (int C : RightColumns) Item->setTextAlignment(C, Qt::AlignRight | Qt::AlignVCenter);
    Item->setIcon(0, ListIcon(Cells[6]));
    L->addTopLevelItem(Item);
  }
  return L;
}

std::array<int, 6> ColumnWidths(QTreeWidget* L) {
  std::array<int, 6> W{};
  for (int C = 0; C < 6; ++C) W[C] = L->columnWidth(C);
  return W;
}

QPlainTextEdit* MakeMemo(const std::string& Content) {
  auto* E = new QPlainTextEdit(QString::fromStdString(Content));
  E->setReadOnly(true);
  E->setLineWrapMode(QPlainTextEdit::NoWrap);
  E->setFont(FixedFont());
  E->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  E->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  E->setStyleSheet("QPlainTextEdit { background: white; color: black; }");
  return E;
}

// A tab page: its title line and its control, placed as the page's size changes.
class TPage : public QWidget {
public:
  TPage(const QString& Title, QWidget* Control) : FControl(Control) {
    FTitle = new QLabel(Title, this);
    Control->setParent(this);
  }
  QWidget* Control() const { return FControl; }

protected:
  void resizeEvent(QResizeEvent*) override {
    FTitle->setGeometry(3, 2, width() - 6, 16);
    FControl->setGeometry(3, 20, width() - 8, height() - 24);
  }

private:
  QLabel* FTitle;
  QWidget* FControl;
};

// Runs the test script's commands one by one once the window is up.
std::vector<std::string> ScriptSteps;
std::function<bool(const std::string&, const std::string&)> ScriptCommand;

void RunScriptStep(size_t I) {
  if (I >= ScriptSteps.size()) return;
  const std::string& Line = ScriptSteps[I];
  size_t Space = Line.find(' ');
  std::string Verb = Line.substr(0, Space), Arg = Space == std::string::npos ? "" : Line.substr(Space + 1);
  if (!ScriptCommand(Verb, Arg)) std::fprintf(stderr, "tarvik_dialog: unknown script step \"%s\"\n", Line.c_str());
  QTimer::singleShot(300, [I] { RunScriptStep(I + 1); });
}

void RunScript(std::function<bool(const std::string&, const std::string&)> Command) {
  const char* S = std::getenv("TARVIK_DIALOG_SCRIPT");
  if (!S || !*S) return;
  std::stringstream In(S);
  std::string Step;
  while (std::getline(In, Step, ';'))
    if (!Step.empty()) ScriptSteps.push_back(Step);
  ScriptCommand = std::move(Command);
  QTimer::singleShot(500, [] { RunScriptStep(0); });
}

bool Screenshot(const std::string& Path) {
  QApplication::processEvents();
  WriteScreenshot(Path);
  return true;
}

// ---- The exception dialog ----

class TExceptionDialog : public QDialog {
public:
  TExceptionDialog() {
    FIni = DialogField(Request, "ini");
    FArea = CheckBoxAreaHeight(Option("sendvisible"), Option("shotvisible"));
    setWindowTitle(QText(2));  // the window manager draws the caption
    // Changing the flags of a shown window hides it (and ends the dialog): the maximize button is
    // always asked for, and the collapsed window's fixed size keeps it from working.
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMaximizeButtonHint);
    FMessage = new QLabel(this);
    FMessage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    FMessage->setWordWrap(true);
    FOk = new QPushButton(QText(12), this);
    FOk->setDefault(true);
    FTerminate = new QPushButton(QText(Option("restart") ? 14 : 13), this);
    FDetails = new QPushButton(this);
    FSend = new QCheckBox(QText(16), this);
    FShot = new QCheckBox(QText(17), this);
    FCopy = new QCheckBox(QText(18), this);
    FCopy->setLayoutDirection(Qt::RightToLeft);  // text on the left
    FSend->setChecked(Option("sendchecked"));
    FShot->setChecked(Option("shotchecked"));
    FShot->setEnabled(Option("shotenabled") && FSend->isChecked());
    FSend->setVisible(Option("sendvisible"));
    FShot->setVisible(Option("sendvisible") && Option("shotvisible"));
    FTerminate->setVisible(Option("terminatevisible"));
    connect(FSend, &QCheckBox::toggled, this, [this](bool On) { FShot->setEnabled(On && Option("shotenabled")); });
    connect(FOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(FTerminate, &QPushButton::clicked, this, [this] {
      FTerminateRequested = true;
      accept();
    });
    connect(FDetails, &QPushButton::clicked, this, [this] { SetExpanded(!FExpanded); });

    FTabs = new QTabWidget(this);
    FStack = MakeList({47, 48, 49, 50, 51, 52}, ReadColumnWidths(FIni, false), {5}, DialogFields(Request, "frame"));
    FModules = MakeList({62, 63, 64, 65, 66, 67}, ReadColumnWidths(FIni, true), {3, 4}, DialogFields(Request, "module"));
    connect(FStack, &QTreeWidget::itemActivated, this, [](QTreeWidgetItem* Item) {
      if (!Item->text(5).isEmpty()) SendSourceLocation(Item->text(2).toStdString(), Item->text(5).toUInt());
    });
    FTabs->addTab(new TPage(QText(5), MakeMemo(DialogField(Request, "general"))), QText(4));
    FTabs->addTab(new TPage(QText(7), FStack), QText(6));
    FTabs->addTab(new TPage(QText(9), FModules), QText(8));
    FTabs->addTab(new TPage(QText(11), MakeMemo(DialogField(Request, "cpu"))), QText(10));
    FTabs->setCurrentIndex(std::atoi(DialogField(Request, "starttab", "0").c_str()));
    FScreen = screen()->geometry().size();
    ApplyCollapsed();
    FOk->setFocus();
  }

  TDialogReply Result() const {
    TDialogReply R;
    R.Shown = true;
    R.SendMailChecked = FSend->isChecked();
    R.AttachScreenshotChecked = FShot->isChecked();
    R.CopyToClipboardChecked = FCopy->isChecked();
    R.TerminateRequested = FTerminateRequested;
    return R;
  }

  bool Command(const std::string& Verb, const std::string& Arg) {
    if (Verb == "shot") return Screenshot(Arg);
    if (Verb == "details") FDetails->click();
    else if (Verb == "ok") FOk->click();
    else if (Verb == "terminate") FTerminate->click();
    else if (Verb == "close") close();
    else if (Verb == "tab") FTabs->setCurrentIndex(std::atoi(Arg.c_str()));
    else if (Verb == "send") FSend->setChecked(Arg == "1");
    else if (Verb == "copy") FCopy->setChecked(Arg == "1");
    else if (Verb == "activate") {
      if (QTreeWidgetItem* I = FStack->topLevelItem(std::atoi(Arg.c_str()))) emit FStack->itemActivated(I, 0);
    } else if (Verb == "state") {
      // What a test checks: the state, the sizes, what shows, and the current list's rows.
      std::ofstream Out(Arg);
      Out << "expanded " << FExpanded << "\nclient " << width() << " " << height() << "\nmessage "
          << FMessage->text().toStdString() << "\ndetails " << FDetails->text().toStdString() << "\nterminate "
          << FTerminate->isVisible() << "\nsend " << FSend->isVisible() << "\nshot " << FShot->isVisible() << " "
          << FShot->isEnabled() << "\ntabs " << FTabs->isVisible() << " " << FTabs->currentIndex() << "\n";
      auto* Page = static_cast<TPage*>(FTabs->currentWidget());
      if (auto* List = dynamic_cast<QTreeWidget*>(Page->Control()))
        for (int R = 0; R < List->topLevelItemCount(); ++R) {
          Out << "row";
          for (int C = 0; C < 6; ++C) Out << "\t" << List->topLevelItem(R)->text(C).toStdString();
          Out << "\n";
        }
    } else
      return false;
    return true;
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    P.drawPixmap(8, 9, style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
  }

  void resizeEvent(QResizeEvent*) override {
    TDialogControls C = DialogControlRects(width(), height(), FArea, FExpanded);
    auto Put = [](QWidget* W, const TDialogRect& R) { W->setGeometry(R.Left, R.Top, R.Width, R.Height); };
    FTabs->setGeometry(C.Tabs.Left, C.Tabs.Top, C.Tabs.Width, C.Tabs.Height);
    if (FExpanded) Put(FMessage, C.Label);
    Put(FOk, C.Ok);
    Put(FTerminate, C.Terminate);
    Put(FDetails, C.Details);
    Put(FSend, C.SendBox);
    Put(FCopy, C.CopyBox);
    Put(FShot, C.ShotBox);
    if (FExpanded) {
      if (isMaximized()) FCoordinates.WindowState = 3;
      else if (isMinimized()) FCoordinates.WindowState = 6;
      else {
        FCoordinates.WindowState = 1;
        FCoordinates.Width = width() + 2 * FMetrics.FrameWidth;
        FCoordinates.Height = height() + 2 * FMetrics.FrameHeight + FMetrics.SmallCaptionHeight - FArea;
        FRemembered = true;
      }
    }
  }

  void moveEvent(QMoveEvent*) override {
    if (FExpanded && !isMaximized()) {
      FCoordinates.Left = x();
      FCoordinates.Top = y();
    }
  }

  void done(int R) override {
    if (FExpanded) SaveCoordinates();
    WriteColumnWidths(FIni, false, ColumnWidths(FStack));
    WriteColumnWidths(FIni, true, ColumnWidths(FModules));
    QDialog::done(R);
  }

private:
  void SaveCoordinates() {
    if (FRemembered) WriteDialogCoordinates(FIni, FCoordinates);
  }

  void SetExpanded(bool On) {
    if (FExpanded) SaveCoordinates();
    FExpanded = On;
    if (On) ApplyExpanded();
    else ApplyCollapsed();
  }

  void ApplyCollapsed() {
    FMetrics.ScreenWidth = FScreen.width();
    FMetrics.ScreenHeight = FScreen.height();
    FDetails->setText(QText(15) + " >>");
    std::string Message = DialogField(Request, "message");
    FMessage->setText(QString::fromStdString(Message));
    QFontMetrics M(FMessage->font());
    std::vector<int> Widths;
    std::stringstream S(Message);
    std::string Line;
    while (std::getline(S, Line)) {
      if (!Line.empty() && Line.back() == '\r') Line.pop_back();
      Widths.push_back(M.horizontalAdvance(QString::fromStdString(Line)));
    }
    Widths.push_back(M.horizontalAdvance(QText(16) + "    " + QText(18)));
    TCollapsedLayout L = CollapsedLayout(Widths, M.height(), FArea, FMetrics);
    FTabs->hide();
    int W = L.Window.Width - 2 * FMetrics.FrameWidth;
    int H = L.Window.Height - 2 * FMetrics.FrameHeight - FMetrics.SmallCaptionHeight;
    setMinimumSize(W, H);
    setMaximumSize(W, H);
    resize(W, H);
    move(L.Window.Left, L.Window.Top);
    FMessage->setGeometry(L.Label.Left, L.Label.Top, L.Label.Width, L.Label.Height);
  }

  void ApplyExpanded() {
    FDetails->setText("<< " + QText(15));
    FMessage->setText(QText(3));
    // Each size change below reports back into FCoordinates: keep what was read apart.
    const TDialogCoordinates C = ReadDialogCoordinates(FIni, FArea, FMetrics);
    FCoordinates = C;
    setMinimumSize(250, 150);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    resize(C.Width - 2 * FMetrics.FrameWidth, C.Height + FArea - 2 * FMetrics.FrameHeight - FMetrics.SmallCaptionHeight);
    move(C.Left, C.Top);
    FCoordinates = C;
    FTabs->show();
    if (C.WindowState == 3) showMaximized();
    FRemembered = true;
  }

  std::string FIni;
  int FArea = 20;
  bool FExpanded = false, FTerminateRequested = false, FRemembered = false;
  TDialogMetrics FMetrics;
  TDialogCoordinates FCoordinates;
  QSize FScreen;
  QLabel* FMessage;
  QPushButton *FOk, *FTerminate, *FDetails;
  QCheckBox *FSend, *FShot, *FCopy;
  QTabWidget* FTabs;
  QTreeWidget *FStack, *FModules;
};

// ---- The request for the steps to reproduce ----

class TRequestDialog : public QDialog {
public:
  TRequestDialog() {
    setWindowTitle(QText(59));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    setFixedSize(474, 249);
    auto* Label = new QLabel(QText(60), this);
    Label->setGeometry(12, 10, 450, 16);
    FEdit = new QPlainTextEdit(this);
    FEdit->setFont(FixedFont());
    FEdit->setGeometry(12, 28, 453, 184);
    auto* Ok = new QPushButton(QText(61), this);
    Ok->setGeometry(390, 218, 75, 24);
    Ok->setDefault(false);
    Ok->setAutoDefault(false);  // Enter makes new lines in the text
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    FEdit->setFocus();
  }
  std::string Typed() const { return FEdit->toPlainText().toStdString(); }
  bool Command(const std::string& Verb, const std::string& Arg) {
    if (Verb == "shot") return Screenshot(Arg);
    if (Verb == "type") {
      QString T = QString::fromStdString(Arg);
      T.replace("\\n", "\n");
      FEdit->setPlainText(T);
    } else if (Verb == "ok") accept();
    else if (Verb == "escape") reject();
    else return false;
    return true;
  }

protected:
  void reject() override { accept(); }  // Escape keeps the text as OK does

private:
  QPlainTextEdit* FEdit;
};

// ---- The SMTP progress window ----

class TProgressDialog : public QDialog {
public:
  TProgressDialog() {
    setWindowTitle(QText(53));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    setFixedSize(279, 55);
    FStatus = new QLabel("", this);
    FStatus->setGeometry(12, 8, 256, 16);
    FBar = new QProgressBar(this);
    FBar->setRange(0, 100);
    FBar->setValue(0);
    FBar->setGeometry(12, 28, 255, 16);
    FInput = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(FInput, &QSocketNotifier::activated, this, [this] { ReadCommands(); });
  }
  TDialogReply Result() const {
    TDialogReply R;
    R.Shown = R.Ready = true;
    R.Status = FStatus->text().toStdString();
    R.Progress = FBar->value();
    return R;
  }

protected:
  void showEvent(QShowEvent* E) override {
    QDialog::showEvent(E);
    if (!FReady) {
      FReady = true;
      QTimer::singleShot(0, this, [this] { Reply(Result()); });
    }
  }
  void reject() override {}  // closed by the mail, not by the user

private:
  void ReadCommands() {
    TDialogMessage M;
    char Buf[65536];
    ssize_t N = ::read(STDIN_FILENO, Buf, sizeof Buf);
    if (N <= 0) {
      accept();  // the reporter is gone
      return;
    }
    Pending.append(Buf, static_cast<size_t>(N));
    for (;;) {
      size_t Used = 0;
      std::string Error;
      TDialogParse P = ParseDialogMessage(Pending, M, Used, Error);
      if (P == TDialogParse::NeedMore) return;
      if (P == TDialogParse::Damaged) {
        accept();
        return;
      }
      Pending.erase(0, Used);
      for (const auto& [Name, Value] : M) {
        if (Name == "status") FStatus->setText(QString::fromStdString(Value));
        else if (Name == "progress") FBar->setValue(std::clamp(std::atoi(Value.c_str()), 0, 100));
        else if (Name == "stop") accept();
      }
    }
  }

  bool FReady = false;
  QLabel* FStatus;
  QProgressBar* FBar;
  QSocketNotifier* FInput;
};

// A display that can be used: an X or Wayland session; the offscreen platform only for a script.
bool HaveDisplay() {
  const char* Platform = std::getenv("QT_QPA_PLATFORM");
  if (Platform && std::string(Platform) == "offscreen") return std::getenv("TARVIK_DIALOG_SCRIPT") != nullptr;
  const char* X = std::getenv("DISPLAY");
  const char* W = std::getenv("WAYLAND_DISPLAY");
  return (X && *X) || (W && *W);
}
}  // namespace

// Under the leak checker: the session bus library keeps a buffer for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

int main(int argc, char** argv) {
  if (!ReadMessage(Request, true)) return 2;
  Texts = DialogFields(Request, "text");
  const std::string Kind = DialogField(Request, "kind");
  if (!HaveDisplay()) {
    if (Kind == "exception") {
      std::string All = DialogField(Request, "message") + "\n" + DialogField(Request, "report") + "\n";
      WriteAll(STDERR_FILENO, All);
      TDialogReply R;
      R.SendMailChecked = Option("sendchecked");
      R.AttachScreenshotChecked = Option("shotchecked");
      Reply(R);
    } else {
      Reply({});
    }
    return 0;
  }
  QApplication App(argc, argv);
  if (Kind == "exception") {
    TExceptionDialog D;
    RunScript([&D](const std::string& V, const std::string& A) { return D.Command(V, A); });
    D.exec();
    Reply(D.Result());
  } else if (Kind == "request") {
    TRequestDialog D;
    RunScript([&D](const std::string& V, const std::string& A) { return D.Command(V, A); });
    D.exec();
    TDialogReply R;
    R.Shown = true;
    R.ReproduceText = D.Typed();
    Reply(R);
  } else if (Kind == "progress") {
    TProgressDialog D;
    D.exec();
    Reply(D.Result());
  } else {
    std::fprintf(stderr, "tarvik_dialog: unknown request \"%s\"\n", Kind.c_str());
    return 2;
  }
  return 0;
}

// The Alignment Assistant in the running dialog: its window-menu item, one window, the frames it
// is handed, and what its read-outs say, against the call-log camera double.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <cmath>
#include <filesystem>
#include <opencv2/imgproc.hpp>

#include "assist/alignment_assistant.h"
#include "assist/assistant_window.h"
#include "assist/readings.h"
#include "assist/window_placement.h"
#include "dialog_fixture.h"
#include "res/samples.h"

namespace fs = std::filesystem;

namespace {

class AssistantTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        UseDetector("detect_returns_1.so");
        UseCamLink("calllog_camlink.so");
        previous_ = fs::current_path();
        fs::create_directory(modules_->Path() / "work");
        fs::current_path(modules_->Path() / "work");
        // The user's data and settings stay untouched: references and the window's place go
        // to the test's own folder.
        setenv("XDG_DATA_HOME", (modules_->Path() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (modules_->Path() / "config").c_str(), 1);
    }
    void TearDown() override {
        fs::current_path(previous_);
        DialogTest::TearDown();
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }

    void OpenAssistant() { dialog_->SendMessage(WM_SYSCOMMAND, IDM_ASSISTANT, 0); }
    static std::vector<QWidget*> AssistantWindows() {
        std::vector<QWidget*> windows;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->objectName() == QLatin1String("AlignmentAssistant"))
                windows.push_back(window);
        return windows;
    }
    static QString Text(const char* name) {
        const auto windows = AssistantWindows();
        if (windows.size() != 1) return QStringLiteral("<no window>");
        auto* label = windows[0]->findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<no label>");
    }
    template <typename Widget>
    static Widget* Find(const char* name) {
        const auto windows = AssistantWindows();
        return windows.size() == 1 ? windows[0]->findChild<Widget*>(QLatin1String(name)) : nullptr;
    }
    // A message as it reads, without the break points put after each slash of a path.
    static QString Plain(QString text) {
        return text.remove(QChar(0x200B)).replace(QChar(0xA0), ' ');
    }
    // Both cameras of the right-handed pair deliver picture.
    void SetFrames(const cv::Mat& side, const cv::Mat& top) {
        Double().SetFrame(0, side.data);
        Double().SetFrame(2, top.data);
    }
    static cv::Mat Sample(int index) {
        return cv::Mat(480, 640, CV_8UC1,
                       const_cast<unsigned char*>(SampleImageSet) + index * 307200)
            .clone();
    }
    // The reference as a camera mounted off it sees it: a point p of the reference shows at
    // c + R(angle) (p - c) + (dx, dy), angle clockwise on the screen.
    static cv::Mat Posed(const cv::Mat& reference, double dx, double dy, double degrees) {
        const double a = degrees * CV_PI / 180.0, c = std::cos(a), s = std::sin(a);
        const double cx = 319.5, cy = 239.5;
        const cv::Matx23d forward(c, -s, cx + dx - (c * cx - s * cy),  //
                                  s, c, cy + dy - (s * cx + c * cy));
        cv::Mat posed;
        cv::warpAffine(reference, posed, forward, reference.size(), cv::INTER_LINEAR,
                       cv::BORDER_REPLICATE);
        return posed;
    }

    // Every control and text of the window lies inside it, apart from every other; a text in a
    // scrolling area counts where it shows.
    static void ExpectEveryTextWholeAndApart(QWidget* window) {
        std::vector<QWidget*> texts;
        for (QWidget* child : window->findChildren<QWidget*>())
            if (child->isVisible() &&
                (qobject_cast<QLabel*>(child) || qobject_cast<QPushButton*>(child) ||
                 qobject_cast<QComboBox*>(child)))
                texts.push_back(child);
        const auto shown = [&](QWidget* w) {
            QRect rect(w->mapTo(window, QPoint(0, 0)), w->size());
            for (QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget())
                if (qobject_cast<QAbstractScrollArea*>(up))
                    rect &= QRect(up->mapTo(window, QPoint(0, 0)), up->size());
            return rect;
        };
        for (const char* name :
             {"side.keep", "side.reference", "top.keep", "top.reference", "resetBest", "close"}) {
            auto* control = window->findChild<QWidget*>(QLatin1String(name));
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(control->isVisible()) << name;
            EXPECT_EQ(shown(control).size(), control->size()) << name;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_TRUE(window->rect().contains(shown(texts[i])))
                << texts[i]->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(texts[i]); label && !label->text().isEmpty()) {
                const QFontMetrics metrics(label->font());
                const QRect needs =
                    metrics.boundingRect(QRect(0, 0, label->width(), 100000),
                                         Qt::TextWordWrap * label->wordWrap(), label->text());
                EXPECT_LE(needs.height(), label->height()) << label->text().toStdString();
                EXPECT_LE(needs.width(), label->width()) << label->text().toStdString();
            }
            for (size_t j = i + 1; j < texts.size(); ++j)
                EXPECT_FALSE(shown(texts[i]).intersects(shown(texts[j])))
                    << texts[i]->objectName().toStdString() << " over "
                    << texts[j]->objectName().toStdString();
        }
    }

    fs::path previous_;
};

}  // namespace

TEST_F(AssistantTest, MenuItemAboveAboutOpensOneWindowAndEscapeClosesIt) {
    CVantrelDlg& dialog = Open();
    const auto& items = dialog.WindowMenu()->Items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].id, static_cast<UINT>(IDM_ASSISTANT));
    EXPECT_EQ(items[1].text, L"정렬 도우미");
    EXPECT_EQ(items[2].id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(dialog.Assistant(), nullptr);

    OpenAssistant();
    ASSERT_NE(dialog.Assistant(), nullptr);
    AlignmentAssistant* first = dialog.Assistant();
    EXPECT_TRUE(first->IsOpen());
    ASSERT_EQ(AssistantWindows().size(), 1u);
    EXPECT_EQ(AssistantWindows()[0]->windowTitle(), QString::fromUtf8("정렬 도우미"));
    EXPECT_EQ(Text("status"), QString::fromUtf8("정지됨: 카메라 시작을 누르면 측정합니다."));

    OpenAssistant();  // raises the same window
    EXPECT_EQ(dialog.Assistant(), first);
    EXPECT_EQ(AssistantWindows().size(), 1u);

    // The window follows the handedness chosen while idle.
    EXPECT_EQ(Text("side.title"), QString::fromUtf8("Side 카메라 (RR)"));
    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_EQ(Text("side.title"), QString::fromUtf8("Side 카메라 (LL)"));

    QTest::keyClick(AssistantWindows()[0], Qt::Key_Escape);
    EXPECT_FALSE(first->IsOpen());
    EXPECT_TRUE(AssistantWindows().empty());
    EXPECT_TRUE(dialog.GetWidget()->isVisible());  // the dialog stays
}

TEST_F(AssistantTest, EnglishItemAndWindow) {
    UseLanguagePack();
    SetLocale("en_US.UTF-8");
    CVantrelDlg& dialog = Open();
    EXPECT_EQ(dialog.WindowMenu()->Items()[1].text, L"Alignment Assistant");
    OpenAssistant();
    ASSERT_EQ(AssistantWindows().size(), 1u);
    EXPECT_EQ(AssistantWindows()[0]->windowTitle(), QStringLiteral("Alignment Assistant"));
    EXPECT_EQ(Text("status"), QStringLiteral("Not running: press Start Camera to measure."));
}

// With the window never opened, open or closed, a tick makes the same module calls and leaves
// the same picture; only an open window is handed copies.
TEST_F(AssistantTest, TickIsTheSameWithTheWindowClosedAndOnlyAnOpenOneTakesFrames) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    ClearCalls();
    Tick();
    const std::vector<std::string> calls = Calls();
    const cv::Mat picture = cv::cvarrToMat(dialog.Frame()).clone();

    OpenAssistant();
    ClearCalls();
    Tick();
    EXPECT_EQ(Calls(), calls);
    EXPECT_EQ(cv::norm(cv::cvarrToMat(dialog.Frame()), picture, cv::NORM_INF), 0.0);
    EXPECT_EQ(dialog.Assistant()->FramesTaken(), 2);

    QTest::keyClick(AssistantWindows()[0], Qt::Key_Escape);
    ClearCalls();
    Tick();
    EXPECT_EQ(Calls(), calls);
    EXPECT_EQ(dialog.Assistant()->FramesTaken(), 2);
    // Save Image grabs without overlays; the assistant takes nothing from it either.
    OpenAssistant();
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_EQ(dialog.Assistant()->FramesTaken(), 2);
}

TEST_F(AssistantTest, BlackFrameGivesDashesNotNumbers) {
    const cv::Mat black(480, 640, CV_8UC1, cv::Scalar(0));
    SetFrames(black, black);
    CVantrelDlg& dialog = Open();
    OpenAssistant();
    Click(IDC_BTN_START);
    Tick();
    dialog.Assistant()->Refresh();
    for (const char* name : {"side.horizontal", "side.vertical", "side.rotation", "side.confidence",
                             "top.horizontal", "top.confidence"})
        EXPECT_EQ(Text(name), QStringLiteral("-")) << name;
    EXPECT_EQ(Text("side.horizontal.direction"), QString());
    EXPECT_EQ(
        Text("side.verdict"),
        QString::fromUtf8("측정 불가: 영상이 너무 어둡습니다. 노출이나 게인을 높이거나 렌즈 캡을 "
                          "확인하세요."));
    EXPECT_EQ(Text("status"), QString::fromUtf8("측정 중"));
    // The copy is taken before the overlays: the centre guide would put edges into the focus
    // window of a black picture.
    EXPECT_EQ(Text("side.sharpness"), QString::fromUtf8("선명도 0.0"));
    EXPECT_EQ(Text("side.focusValue"), QString::fromUtf8("라이브 창의 초점값 20.779221"));
}

// Content right of, above and turned clockwise from the reference asks for a turn right, a tilt
// up and a clockwise roll; the reference itself is aligned.
TEST_F(AssistantTest, DirectionsFollowTheOffsetAndTheReferenceItselfIsAligned) {
    UseLanguagePack();
    SetLocale("en_US.UTF-8");
    const cv::Mat side = Sample(0), top = Sample(1);
    SetFrames(Posed(side, 12.0, -5.0, 1.5), top);
    CVantrelDlg& dialog = Open();
    OpenAssistant();
    Click(IDC_BTN_START);
    Tick();
    dialog.Assistant()->Refresh();
    EXPECT_EQ(Text("side.horizontal.direction"), QStringLiteral("turn right"));
    EXPECT_EQ(Text("side.vertical.direction"), QStringLiteral("tilt up"));
    EXPECT_EQ(Text("side.rotation.direction"), QStringLiteral("roll clockwise"));
    EXPECT_EQ(Text("side.verdict"), QStringLiteral("NOT ALIGNED"));
    EXPECT_EQ(Text("top.horizontal"), QStringLiteral("0.0 px"));
    EXPECT_EQ(Text("top.verdict"), QStringLiteral("ALIGNED"));
    // Each panel shows its own camera's picture.
    const auto* sidePicture = Find<QLabel>("side.picture");
    const auto* topPicture = Find<QLabel>("top.picture");
    ASSERT_TRUE(sidePicture && topPicture);
    const QImage sideImage = sidePicture->pixmap(Qt::ReturnByValue).toImage();
    EXPECT_FALSE(sideImage.isNull());
    EXPECT_NE(sideImage, topPicture->pixmap(Qt::ReturnByValue).toImage());
}

TEST_F(AssistantTest, SnapshotReferenceIsReadWhenPickedAndProblemsAreSaid) {
    UseLanguagePack();
    SetLocale("en_US.UTF-8");
    const cv::Mat side = Sample(0);
    QImage(side.data, 640, 480, 640, QImage::Format_Grayscale8).save(QStringLiteral("rr.png"));
    QImage(320, 240, QImage::Format_Grayscale8).save(QStringLiteral("rt.png"));
    const QString folder = QString::fromStdString(fs::current_path().string());
    SetFrames(side, Sample(1));
    CVantrelDlg& dialog = Open();
    OpenAssistant();
    Click(IDC_BTN_START);
    QWidget* window = AssistantWindows().at(0);
    for (const char* box : {"side.reference", "top.reference"}) {
        auto* reference = window->findChild<QComboBox*>(QLatin1String(box));
        ASSERT_NE(reference, nullptr);
        reference->setCurrentIndex(1);
        emit reference->activated(1);
    }
    Tick();
    dialog.Assistant()->Refresh();
    EXPECT_EQ(Text("side.message"), QString());
    EXPECT_EQ(Text("side.verdict"), QStringLiteral("ALIGNED"));
    EXPECT_EQ(Plain(Text("top.message")),
              folder + QStringLiteral("/rt.png is 320 x 240, not 640 x 480."));
    EXPECT_EQ(Text("top.horizontal"), QStringLiteral("-"));
    EXPECT_EQ(Text("top.verdict"), QStringLiteral("No reference picture."));

    fs::remove("rt.png");
    emit window->findChild<QComboBox*>(QStringLiteral("top.reference"))->activated(1);
    EXPECT_EQ(Plain(Text("top.message")), QStringLiteral("No file ") + folder + "/rt.png.");

    // A new Save Image replaces the file: it is read again without being picked again.
    Tick();
    Click(IDC_BTN_SAVE_IMAGE);
    dialog.Assistant()->Refresh();
    EXPECT_EQ(Text("top.message"), QString());
    Tick();
    dialog.Assistant()->Refresh();
    EXPECT_EQ(Text("top.verdict"), QStringLiteral("ALIGNED"));
}

// Kept as reference, a camera's picture outlives the program: started again, Vantrel chooses it
// and measures against it. Save Image leaves it alone.
TEST_F(AssistantTest, KeptReferenceIsChosenAndMeasuredAfterARestart) {
    UseLanguagePack();
    SetLocale("en_US.UTF-8");
    const cv::Mat mounted = Posed(Sample(0), 12.0, -5.0, 1.5);
    SetFrames(mounted, Sample(1));
    CVantrelDlg& first = Open();
    OpenAssistant();
    Click(IDC_BTN_START);
    Tick();
    first.Assistant()->Refresh();
    EXPECT_EQ(Text("side.verdict"), QStringLiteral("NOT ALIGNED"));  // against the sample
    auto* keep = Find<QPushButton>("side.keep");
    ASSERT_NE(keep, nullptr);
    ASSERT_TRUE(keep->isEnabled());
    keep->click();
    EXPECT_TRUE(Plain(Text("side.message")).startsWith("Kept as this installation's reference: "))
        << Text("side.message").toStdString();
    const fs::path folder = modules_->Path() / "data" / "vantrel" / "references";
    auto files = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> kept = files();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].substr(0, 3), "RR-");
    EXPECT_EQ(fs::path(kept[0]).extension(), ".pgm");
    EXPECT_EQ(fs::path(kept[1]).extension(), ".txt");
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_EQ(files(), kept);
    Close();

    SetFrames(mounted, Sample(1));
    CVantrelDlg& second = Open();
    OpenAssistant();
    Click(IDC_BTN_START);
    Tick();
    second.Assistant()->Refresh();
    auto* reference = Find<QComboBox>("side.reference");
    ASSERT_NE(reference, nullptr);
    EXPECT_TRUE(reference->currentText().startsWith("Installation reference, "))
        << reference->currentText().toStdString();
    EXPECT_EQ(Text("side.horizontal"), QStringLiteral("0.0 px"));
    EXPECT_EQ(Text("side.verdict"), QStringLiteral("ALIGNED"));
    EXPECT_EQ(Find<QComboBox>("top.reference")->currentText(), QStringLiteral("Built-in sample"));
}

// With the longest texts of either language, on both cameras, the window fits a 1366 x 768 and a
// 1024 x 768 screen with the dialog where it opens (in the middle): every control on the screen,
// none of the dialog's buttons covered, and none of its texts over another or cut. On 1366 x 768
// it stands beside the dialog.
TEST_F(AssistantTest, WindowFitsBesideTheDialogOnSmallScreensWithTheLongestTexts) {
    for (const bool english : {false, true}) {
        if (english) {
            UseLanguagePack();
            SetLocale("en_US.UTF-8");
        }
        const std::string longPath = "/home/technician/" + std::string(60, 'x') + "/" +
                                     std::string(40, 'y') + "/picture.png";
        SetFrames(Sample(0), Sample(1));
        CVantrelDlg& dialog = Open();
        OpenAssistant();
        auto* window = dynamic_cast<assist::AssistantWindow*>(AssistantWindows().at(0));
        ASSERT_NE(window, nullptr);
        Click(IDC_BTN_START);
        Tick();
        dialog.Assistant()->Refresh();
        // The longest refusal of each language.
        for (const char* name : {"side.verdict", "top.verdict"})
            Find<QLabel>(name)->setText(QString::fromUtf8(
                english ? "Beyond the measuring range: first turn the camera until the live "
                          "picture roughly covers the reference."
                        : "측정 불가: 영상이 너무 어둡습니다. 노출이나 게인을 높이거나 렌즈 캡을 "
                          "확인하세요."));
        // A wrong picture at a long path, and another camera's reference.
        const QString message = QStringLiteral("%1\n%2").arg(
            QString::fromUtf8(english ? "%1 is 20000 x 20000, not 640 x 480."
                                      : "%1 이미지는 20000 x 20000입니다. 640 x 480이어야 합니다.")
                .arg(QString::fromStdString(longPath).replace('/', QStringLiteral("/\u200B"))),
            QString::fromUtf8(
                english ? "This reference was taken with camera SN-0123456789, but this is camera "
                          "SN-9876543210. If the camera was replaced, keep a new reference."
                        : "이 기준 이미지는 카메라 SN-0123456789(으)로 찍었지만 지금 카메라는 "
                          "SN-9876543210입니다. 카메라를 교체했다면 새 기준 이미지를 "
                          "보관하세요."));
        for (const char* name : {"side.message", "top.message"}) {
            Find<QLabel>(name)->setText(message);
            Find<QLabel>(name)->parentWidget()->parentWidget()->show();  // its scrolling area
        }
        QApplication::processEvents();  // the labels' new sizes reach the layout

        for (const QSize screen : {QSize(1366, 768), QSize(1024, 768)}) {
            SCOPED_TRACE((english ? "English " : "Korean ") + std::to_string(screen.width()));
            QSettings(QStringLiteral("Vantrel"), QStringLiteral("Vantrel")).clear();
            // A panel of 32 px at the screen's top; the dialog in the middle of the rest.
            const QRect available(0, 32, screen.width(), screen.height() - 32);
            QWidget* dialogWidget = dialog.GetWidget();
            dialogWidget->move(available.center() - dialogWidget->rect().center());
            window->FitAndPlace(available);
            QApplication::processEvents();
            const QRect placed = window->frameGeometry();
            const QRect dialogFrame = dialogWidget->frameGeometry();
            std::printf("%s %d x %d: window %d x %d at %d,%d; dialog at %d,%d\n",
                        english ? "English" : "Korean", screen.width(), screen.height(),
                        placed.width(), placed.height(), placed.x(), placed.y(), dialogFrame.x(),
                        dialogFrame.y());
            EXPECT_TRUE(available.contains(placed));
            EXPECT_TRUE(available.contains(dialogFrame));
            if (screen.width() == 1366) {
                EXPECT_FALSE(placed.intersects(dialogFrame));
            }
            for (const int id :
                 {IDC_BTN_START, IDC_BTN_STOP, IDC_BTN_SAVE_IMAGE, IDC_BTN_SHOW_SAMPLE,
                  IDC_CHECK_CENTER_GUIDE, IDC_CHECK_GRID_GUIDE, IDC_CHECK_FOCUS_TOOL}) {
                const QWidget* button = dialog.GetDlgItem(id)->GetWidget();
                EXPECT_FALSE(
                    placed.intersects(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
                    << id;
            }
            ExpectEveryTextWholeAndApart(window);
        }
        Close();
    }
}

// What the window shows of an offset hovering at the tolerance: the words always agree with the
// figure beside them (whichever camera it is), and noise around a rounding edge does not make
// the figure flicker.
TEST(ShownOffset, WordsFollowTheFigureAndNoiseAtAnEdgeDoesNotFlicker) {
    AlignmentOffset shown;
    int changes = 0;
    QString previous;
    cv::RNG noise(7);
    for (int step = 0; step < 400; ++step) {
        AlignmentOffset measured;
        measured.measured = true;
        measured.confidence = 0.9;
        // Noise of ±0.02 px around 2.05, then the same around 1.95 and 2.15.
        const double centre = step < 200 ? 2.05 : step < 300 ? 1.95 : 2.15;
        measured.dx = centre + noise.uniform(-0.02, 0.02);
        shown = assist::ShownOffset(measured, shown);
        const QString figure = assist::OffsetText(shown, assist::Axis::Horizontal);
        const QString words = assist::DirectionText(shown, assist::Axis::Horizontal, false);
        if (figure == "+2.0 px" || figure == "+1.9 px")
            EXPECT_EQ(words, QStringLiteral("OK")) << figure.toStdString();
        else
            EXPECT_EQ(words, QStringLiteral("turn right")) << figure.toStdString();
        if (step > 0 && figure != previous) ++changes;
        previous = figure;
    }
    EXPECT_LE(changes, 2);  // at most once where the noise's centre moved
}

#include "ui/Searchunit.h"

#include <QLinearGradient>
#include <algorithm>
#include <string>

#include "l10n/texts.h"
#include "ui/accessibility.h"
#include "ui/page_table.h"
#include "ui/wizard_context.h"

namespace trv81k {

namespace {

constexpr int kDesignWidth = 369;
constexpr int kDesignHeight = 180;
constexpr int kPictureHeight = 129;  // the background picture, over the top of the dialog
// The rounded shape: as wide as each dialog needs, this high, with these corners.
constexpr int kShapeBottom = 85;
constexpr int kCornerSize = 20;
constexpr int kShapeRight = 320;
// Where the hourglass pictures lie on top of each other.
constexpr int kHourGlassLeft = 10;
constexpr int kHourGlassTop = 13;
// The progress cells: a row of small cells from the left, at this pitch.
constexpr int kFirstCellLeft = 81;
constexpr int kCellPitch = 16;

void SetCellColour(QLabel* cell, const QColor& colour) {
    SetBackground(cell, colour);
    cell->setProperty("filled", colour == look::kProgressFill);
}

// A cell filled from the left up to `share` (0 to 1), white beyond.
void SetCellShare(QLabel* cell, double share) {
    QLinearGradient fill(0, 0, cell->width(), 0);
    fill.setColorAt(0, look::kProgressFill);
    fill.setColorAt(share, look::kProgressFill);
    fill.setColorAt(std::min(1.0, share + 0.001), look::kWhite);
    fill.setColorAt(1, look::kWhite);
    QPalette palette = cell->palette();
    palette.setBrush(QPalette::Window, fill);
    cell->setPalette(palette);
    cell->setAutoFillBackground(true);
    cell->update();
}

// The show between the ticks: a frame every twentieth of the time to the next step (10 to
// 100 ms), the hourglass turning every fifth frame, never more than nine tenths of a cell.
constexpr int kFramesPerStep = 20;
constexpr int kFramesPerTurn = 5;
constexpr double kMostOfACell = 0.9;

}  // namespace

TSearchForm::TSearchForm(WizardContext& context) : TSearchForm(context, Variant::Search) {
    FormCreate();
}

TSearchForm::TSearchForm(WizardContext& context, Variant variant)
    : FramelessDialog(variant == Variant::Search ? "SearchForm" : "ConfigureForm", kDesignWidth,
                      kDesignHeight),
      context_(context),
      slowTick_(variant == Variant::Search ? context.timing().searchTick
                                           : context.timing().configureTick) {
    BuildDesign(variant);
    connect(&moving_, &QTimer::timeout, this, &TSearchForm::MoveOn);
}

void TSearchForm::BuildDesign(Variant variant) {
    SetBackground(this, look::kButtonGreen);

    ui_.Image1 = new Picture(this, "Image1");
    ui_.Image1->setGeometry(0, 0, kDesignWidth, kPictureHeight);
    ui_.Image1->setStretchedImage(context_.services().windowPicture("search_background"));

    const QFont labelFont = PixelFont("Arial", 12, true);
    ui_.Label1 = new QLabel(this);
    ui_.Label1->setObjectName(QStringLiteral("Label1"));
    ui_.Label2 = new QLabel(this);
    ui_.Label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel* label : {ui_.Label1, ui_.Label2}) {
        label->setTextFormat(Qt::PlainText);
        label->setFont(labelFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, look::kInk);
        label->setPalette(palette);
    }
    // What each dialog is doing, in one line; "please wait" below it.
    if (variant == Variant::Search) {
        ui_.Label1->setText(QStringLiteral("Searching the network for the TRV81K"));
        ui_.Label1->setGeometry(80, 12, 199, 15);
    } else {
        ui_.Label1->setText(QStringLiteral("Writing the settings to the TRV81K"));
        ui_.Label1->setGeometry(80, 12, 142, 15);
    }
    ui_.Label2->setText(QStringLiteral("Please wait\u2026"));
    ui_.Label2->setGeometry(81, 27, 75, 15);

    for (int i = 0; i < kCellCount; ++i) {
        auto* cell = new QLabel(this);
        cell->setObjectName(QStringLiteral("ProgressPanel%1").arg(i + 1));
        cell->setGeometry(kFirstCellLeft + kCellPitch * i, 49, 12, 19);
        SetCellColour(cell, look::kWhite);
        ui_.ProgressPanel[static_cast<std::size_t>(i)] = cell;
    }

    ui_.Percentage_Label = new QLabel(this);
    ui_.Percentage_Label->setObjectName(QStringLiteral("Percentage_Label"));
    ui_.Percentage_Label->setTextFormat(Qt::PlainText);
    ExposeAsProgress(ui_.Percentage_Label, QString());  // named with the heading later
    ui_.Percentage_Label->setFont(PixelFont("Arial", 13, true));
    ui_.Percentage_Label->setGeometry(248, 50, 48, 16);
    ui_.Percentage_Label->setText(QStringLiteral("0 %"));

    for (int i = 0; i < kHourGlassCount; ++i) {
        const std::string name = "HourGlassImage" + std::to_string(i + 1);
        auto* glass = new Picture(this, name.c_str());
        glass->setGeometry(10 + 70 * i, 100, 64, 53);  // design places; FormCreate stacks them
        glass->setStretchedImage(
            context_.services().windowPicture("hourglass" + std::to_string(i + 1)));
        ui_.HourGlassImage[static_cast<std::size_t>(i)] = glass;
    }

    centreOnScreen();
}

void TSearchForm::FormCreate() {
    CutToShape(kShapeRight);
    EnableSurfaceDrag(this);
    StackHourGlasses(kHourGlassLeft, kHourGlassTop);
    LoadLabelTexts(kSearchFormKeys[0], kSearchFormKeys[1]);
}

void TSearchForm::CutToShape(int right) {
    ApplyRoundRectShape(this, right, kShapeBottom, kCornerSize, kCornerSize);
}

void TSearchForm::StackHourGlasses(int left, int top) {
    for (Picture* glass : ui_.HourGlassImage) {
        glass->hide();
        glass->move(left, top);
    }
}

void TSearchForm::LoadLabelTexts(std::string_view key1, std::string_view key2) {
    const ProfileReader reader = context_.OpenLanguageFile();
    const std::string& section = context_.languageSection;
    ui_.Label1->setText(QString::fromStdString(reader.ReadString(section, key1, "")));
    ui_.Label2->setText(QString::fromStdString(reader.ReadString(section, key2, "")));
    // The labels size themselves to their text, as the design's labels do.
    for (QLabel* label : {ui_.Label1, ui_.Label2}) {
        label->resize(label->sizeHint().width(), label->height());
    }
    // The first line says what the dialog waits for ("Configuring the TRV81K," reads on).
    QString heading = ui_.Label1->text().trimmed();
    while (heading.endsWith(QLatin1Char(','))) {
        heading.chop(1);
    }
    NameWindow(this, context_.AccessibleText(kWindowTitleKey), heading, QString());
    ExposeAsProgress(ui_.Percentage_Label, heading);
}

bool TSearchForm::cellFilled(std::size_t index) const {
    return index < ui_.ProgressPanel.size() &&
           ui_.ProgressPanel[index]->property("filled").toBool();
}

void TSearchForm::showEvent(QShowEvent* event) {
    FramelessDialog::showEvent(event);
    FormShow();
}

void TSearchForm::FormShow() {
    tickCount = 0;
    for (QLabel* cell : ui_.ProgressPanel) {
        SetCellColour(cell, look::kWhite);
    }
    ui_.Percentage_Label->setText(QStringLiteral("0 %"));
    ui_.HourGlassImage.back()->show();
}

void TSearchForm::RunExchange(const std::function<void(const Exchanges::Progress&)>& exchange) {
    centreOn(&context_.MainWindow());
    setModal(true);
    show();
    // Once shortened, the dialog's tick stays short (as the exchange keeps it).
    const bool fast = interval_ == context_.timing().fastTick;
    StartMoving(fast ? context_.timing().fastTick : slowTick_);
    Exchanges::Progress progress;
    progress.ticked = [this](const Exchanges::Tick& tick) { ShowTick(tick); };
    progress.ticksDone = [this] {
        StopMoving();
        done(QDialog::Accepted);
    };
    exchange(progress);
    StopMoving();
    if (isVisible()) {
        done(QDialog::Accepted);
    }
}

void TSearchForm::StartMoving(std::chrono::milliseconds firstTick) {
    stepsDone_ = 0;
    framesShown_ = 0;
    shownShare_ = 0;
    // The first cell fills toward the first tick; should that tick bring no answer, the cell
    // waits for the second one, which brings the first step.
    toNextStep_ = firstTick;
    sinceStep_.start();
    const auto frame =
        std::clamp<std::chrono::milliseconds::rep>(toNextStep_.count() / kFramesPerStep, 10, 100);
    moving_.start(static_cast<int>(frame));
}

void TSearchForm::StopMoving() {
    moving_.stop();
}

void TSearchForm::MoveOn() {
    if (stepsDone_ >= kCellCount || toNextStep_.count() <= 0) {
        StopMoving();
        return;
    }
    // Never backwards: the first tick may set the next step further off.
    const double share =
        std::max(shownShare_, std::min(kMostOfACell, static_cast<double>(sinceStep_.elapsed()) /
                                                         double(toNextStep_.count())));
    shownShare_ = share;
    SetCellShare(ui_.ProgressPanel[static_cast<std::size_t>(stepsDone_)], share);
    const int percent = (stepsDone_ * 100 + static_cast<int>(share * 100)) / kCellCount;
    ui_.Percentage_Label->setText(QStringLiteral("%1 %").arg(percent));
    if (++framesShown_ % kFramesPerTurn == 0) {
        // The hourglass turns on: the one on show hands over to the next.
        std::size_t shown = 0;
        for (std::size_t i = 0; i < ui_.HourGlassImage.size(); ++i) {
            if (ui_.HourGlassImage[i]->isVisible()) {
                shown = i;
            }
        }
        for (std::size_t i = 0; i < ui_.HourGlassImage.size(); ++i) {
            ui_.HourGlassImage[i]->setVisible(i == (shown + 1) % ui_.HourGlassImage.size());
        }
    }
}

void TSearchForm::ShowProgressStep(int n) {
    if (n < 1 || n > kCellCount) {
        return;
    }
    SetCellColour(ui_.ProgressPanel[static_cast<std::size_t>(n - 1)], look::kProgressFill);
    ui_.Percentage_Label->setText(QStringLiteral("%1 %").arg(n * 100 / kCellCount));
    const std::size_t visible = static_cast<std::size_t>((n - 1) % kHourGlassCount);
    for (std::size_t i = 0; i < ui_.HourGlassImage.size(); ++i) {
        ui_.HourGlassImage[i]->setVisible(i == visible);
    }
}

void TSearchForm::ShowTick(const Exchanges::Tick& tick) {
    ui_.HourGlassImage[1]->hide();
    ShowProgressStep(tick.counter);
    tickCount = tick.counter + 1;
    interval_ = tick.interval;
    if (tick.counter >= 1 && tick.counter <= kCellCount) {
        // A step: the show goes on from it toward the next tick's.
        stepsDone_ = tick.counter;
        toNextStep_ = tick.interval;
        shownShare_ = 0;
        sinceStep_.start();
    } else if (tick.counter == 0) {
        // The first tick brings no step: the next one's comes an interval later.
        toNextStep_ = std::chrono::milliseconds(sinceStep_.elapsed()) + tick.interval;
    }
    if (stepsDone_ >= kCellCount) {
        StopMoving();
    }
    emit ticked(tick.counter);
}

}  // namespace trv81k

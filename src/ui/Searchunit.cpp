#include "ui/Searchunit.h"

#include <string>

#include "l10n/texts.h"
#include "ui/Mainunit.h"

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

}  // namespace

TSearchForm::TSearchForm(TMainForm& main) : TSearchForm(main, Variant::Search) {
    FormCreate();
}

TSearchForm::TSearchForm(TMainForm& main, Variant variant)
    : FramelessDialog(variant == Variant::Search ? "SearchForm" : "ConfigureForm", kDesignWidth,
                      kDesignHeight),
      main_(main) {
    BuildDesign(variant);
}

void TSearchForm::BuildDesign(Variant variant) {
    SetBackground(this, look::kButtonGreen);

    ui_.Image1 = new Picture(this, "Image1");
    ui_.Image1->setGeometry(0, 0, kDesignWidth, kPictureHeight);
    ui_.Image1->setStretchedImage(main_.services().windowPicture("search_background"));

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
    if (variant == Variant::Search) {
        ui_.Label1->setText(QStringLiteral("Checking your Network Connection"));
        ui_.Label1->setGeometry(80, 12, 199, 15);
    } else {
        ui_.Label1->setText(QStringLiteral("Configuring the TRV81K,"));
        ui_.Label1->setGeometry(80, 12, 142, 15);
    }
    ui_.Label2->setText(QStringLiteral("Please wait..."));
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
    ui_.Percentage_Label->setFont(PixelFont("Arial", 13, true));
    ui_.Percentage_Label->setGeometry(248, 50, 48, 16);
    ui_.Percentage_Label->setText(QStringLiteral("0 %"));

    for (int i = 0; i < kHourGlassCount; ++i) {
        const std::string name = "HourGlassImage" + std::to_string(i + 1);
        auto* glass = new Picture(this, name.c_str());
        glass->setGeometry(10 + 70 * i, 100, 64, 53);  // design places; FormCreate stacks them
        glass->setStretchedImage(
            main_.services().windowPicture("hourglass" + std::to_string(i + 1)));
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
    const ProfileReader reader = main_.OpenLanguageFile();
    const std::string& section = main_.languageSection;
    ui_.Label1->setText(QString::fromStdString(reader.ReadString(section, key1, "")));
    ui_.Label2->setText(QString::fromStdString(reader.ReadString(section, key2, "")));
    // The labels size themselves to their text, as the design's labels do.
    for (QLabel* label : {ui_.Label1, ui_.Label2}) {
        label->resize(label->sizeHint().width(), label->height());
    }
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
    centreOn(&main_);
    setModal(true);
    show();
    Exchanges::Progress progress;
    progress.ticked = [this](const Exchanges::Tick& tick) { ShowTick(tick); };
    progress.ticksDone = [this] { done(QDialog::Accepted); };
    exchange(progress);
    if (isVisible()) {
        done(QDialog::Accepted);
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
    emit ticked(tick.counter);
}

}  // namespace trv81k

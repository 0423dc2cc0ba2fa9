#include "ui/Searchfailunit.h"

#include <QLabel>
#include <QStringList>

#include "l10n/texts.h"
#include "ui/page_table.h"
#include "ui/wizard_context.h"

namespace trv81k {

namespace {

constexpr int kWindowWidth = 207;
constexpr int kWindowHeight = 362;
constexpr int kCornerSize = 10;
constexpr int kPictureNumber = 20;  // of the language's pictures
constexpr QRect kButtonArea{101, 330, 90, 24};
// Below the picture's text: the adapters the search went out on, each with its findings
// (eleven lines: two adapters, one of them with three findings, and the count of the others).
constexpr QRect kAdaptersArea{14, 162, 181, 150};

}  // namespace

TSearchFailForm::TSearchFailForm(WizardContext& context)
    : FramelessDialog("SearchFailForm", kWindowWidth, kWindowHeight), context_(context) {
    SetBackground(this, look::kWhite);
    ui_.Image1 = new Picture(this, "Image1");
    // The button in the footer band of the picture, 16 px from the right side.
    ui_.Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    ui_.Panel1->setGeometry(kButtonArea);
    ui_.ContinuePanel = new FlatPanel(ui_.Panel1, "ContinuePanel", QStringLiteral("Continue"));
    ui_.ContinuePanel->setGeometry(0, 0, kButtonArea.width(), kButtonArea.height());
    ui_.ContinuePanel->setFont(PixelFont("HelveticaNeue MediumCond", 13));
    ui_.AdaptersLabel = new QLabel(this);
    ui_.AdaptersLabel->setObjectName(QStringLiteral("AdaptersLabel"));
    ui_.AdaptersLabel->setTextFormat(Qt::PlainText);
    ui_.AdaptersLabel->setWordWrap(true);
    ui_.AdaptersLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui_.AdaptersLabel->setFont(PixelFont("Arial", 11));
    ui_.AdaptersLabel->setGeometry(kAdaptersArea);

    connect(ui_.ContinuePanel, &FlatPanel::clicked, this, &TSearchFailForm::ContinuePanelClick);
    // The holder turns the caption to a colour of its own (not the one before the first hover).
    connect(ui_.Panel1, &HolderPanel::mouseMoved, this,
            [this] { ui_.ContinuePanel->setCaptionColour(look::kCaptionLeft); });
    // Continue is the only way on: Return and Escape both take it.
    ui_.ContinuePanel->setDefault(true);
    setEscapeAction([this] { ContinuePanelClick(); });
    FormCreate();
}

void TSearchFailForm::FormCreate() {
    ui_.Image1->setGeometry(0, 0, width(), height());
    EnableSurfaceDrag(this);
    ApplyRoundRectShape(this, width(), height(), kCornerSize, kCornerSize);
    ui_.Image1->setStretchedImage(context_.LanguagePicture(kPictureNumber));
    const ProfileReader reader = context_.OpenLanguageFile();
    ui_.ContinuePanel->setCaption(QString::fromStdString(
        reader.ReadString(context_.languageSection, kSearchFailFormKeys[0], "")));
    context_.NameDialog(this, ui_.Image1, "SearchFailForm");
    ui_.ContinuePanel->setFocus(Qt::OtherFocusReason);
}

void TSearchFailForm::ShowDiagnosis(const Diagnosis& diagnosis) {
    QStringList lines;
    for (std::size_t i = 0; i < diagnosis.adapters.size() && i < kAdaptersShown; ++i) {
        const AdapterDiagnosis& adapter = diagnosis.adapters[i];
        QString findings;
        for (const Finding finding : adapter.findings) {
            QString sentence = context_.AccessibleText(FindingTextKey(finding));
            if (finding == Finding::ForeignDatagrams) {
                sentence = sentence.arg(adapter.foreignDatagrams);
            }
            findings += (findings.isEmpty() ? QString() : QStringLiteral(" ")) + sentence;
        }
        lines << QString::fromStdString(AdapterText(adapter.adapter)) + QStringLiteral(":") +
                     QChar::LineFeed + findings;
    }
    if (diagnosis.adapters.size() > kAdaptersShown) {
        lines << context_.AccessibleText("SearchFailForm_More")
                     .arg(diagnosis.adapters.size() - kAdaptersShown);
    }
    ui_.AdaptersLabel->setText(lines.join(QChar::LineFeed));
    ui_.AdaptersLabel->setAccessibleName(ui_.AdaptersLabel->text());
}

void TSearchFailForm::ContinuePanelClick() {
    done(QDialog::Accepted);
    context_.LoadPage(PAGE_WELCOME);
}

}  // namespace trv81k

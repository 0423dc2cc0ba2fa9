#include "ui/page_confirm.h"

#include <QCheckBox>
#include <QLabel>

#include "l10n/texts.h"
#include "settings/keygen.h"
#include "ui/Configureunit.h"
#include "ui/accessibility.h"
#include "ui/input_filters.h"
#include "ui/look.h"
#include "ui/page_parts.h"
#include "ui/page_table.h"

namespace trv81k {

namespace {

// What a value line shows for a value that is not written (the addresses under DHCP, no
// gateway): a dash.
constexpr QChar kNotWritten{0x2013};

// The key the page shows for a security code.
const std::string* KeyShownFor(int securityMode, const WizardState& wizard) {
    static const std::string kNone;
    switch (keyBytesFor(securityMode)) {
        case 0:
            return &kNone;
        case 64:
            return &wizard.newPSK;
        default:
            return &wizard.newWepKey;
    }
}

// Breaks `text` into the lines `label` has room for: at blanks where it can, inside a word (a
// key, a long name) where it must. The label shows every character.
void ShowInFull(QLabel* label, const QString& text) {
    const QFontMetrics metrics(label->font());
    // The label's indent and two pixels of air on either side.
    const int room = label->contentsRect().width() - std::max(0, label->indent()) - 4;
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (metrics.horizontalAdvance(candidate) <= room) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty()) {
            lines << line;
            candidate = word;
        }
        // A word wider than the room is cut where it reaches the edge.
        line.clear();
        for (const QChar c : candidate) {
            if (!line.isEmpty() && metrics.horizontalAdvance(line + c) > room) {
                lines << line;
                line.clear();
            }
            line += c;
        }
    }
    lines << line;
    label->setText(lines.join(QLatin1Char('\n')));
    label->setProperty(kWholeValue, text);
}

}  // namespace

ConfirmPage::ConfirmPage(WizardContext& context, QWidget& window, Picture& picture)
    : QObject(&window), context_(context), window_(window), picture_(picture) {
    // Values in the boxes of the picture, the key's note under them.
    const QFont confirmFont = PixelFont("Arial", 11);
    for (auto [label, name] : {std::pair{&ui_.NewNameLabel, "NewNameLabel"},
                               {&ui_.NewPasswordLabel, "NewPasswordLabel"},
                               {&ui_.NewIPModeLabel, "NewIPModeLabel"},
                               {&ui_.NewIPLabel, "NewIPLabel"},
                               {&ui_.NewNetmaskLabel, "NewNetmaskLabel"},
                               {&ui_.NewGatewayLabel, "NewGatewayLabel"},
                               {&ui_.NewSSIDLabel, "NewSSIDLabel"},
                               {&ui_.NewChannelLabel, "NewChannelLabel"},
                               {&ui_.NewNetModeLabel, "NewNetModeLabel"},
                               {&ui_.NewWepLabel, "NewWepLabel"},
                               {&ui_.NewKeyLabel, "NewKeyLabel"}}) {
        *label = MakeLabel(&window, name, confirmFont, look::kBlack, look::kWhite);
        (*label)->setIndent(3);
    }
    ui_.ShowPasswordCheckBox = new QCheckBox(&window);
    ui_.ShowPasswordCheckBox->setObjectName(QStringLiteral("ShowPasswordCheckBox"));
    ui_.ShowPasswordCheckBox->setFont(confirmFont);
    ui_.ShowPasswordCheckBox->setBackgroundRole(QPalette::Window);
    SetBackground(ui_.ShowPasswordCheckBox, look::kWhite);
    ui_.NoteKeyLabel = MakeLabel(&window, "NoteKeyLabel", confirmFont, look::kMutedText, QColor());
    ui_.NoteKeyLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui_.NoteKeyLabel->setWordWrap(true);

    pairingConfirmPicture_ = context_.LanguagePicture(kPairingConfirmPicture);
    ui_.ShowPasswordCheckBox->setText(context_.Text("ShowPasswordCheckBox"));
    ui_.NoteKeyLabel->setText(context_.Text("NoteKeyLabel"));
    connect(ui_.ShowPasswordCheckBox, &QCheckBox::toggled, this,
            &ConfirmPage::ShowPasswordAsChosen);
}

std::array<QLabel*, 6> ConfirmPage::DeviceValueLabels() const {
    return {ui_.NewNameLabel, ui_.NewPasswordLabel, ui_.NewIPModeLabel,
            ui_.NewIPLabel,   ui_.NewNetmaskLabel,  ui_.NewGatewayLabel};
}

std::array<QLabel*, 5> ConfirmPage::WirelessValueLabels() const {
    return {ui_.NewSSIDLabel, ui_.NewChannelLabel, ui_.NewNetModeLabel, ui_.NewWepLabel,
            ui_.NewKeyLabel};
}

void ConfirmPage::HideValues() {
    for (QLabel* label : DeviceValueLabels()) {
        label->hide();
    }
    for (QLabel* label : WirelessValueLabels()) {
        label->hide();
    }
    ui_.ShowPasswordCheckBox->hide();
    ui_.NoteKeyLabel->hide();
}

void ConfirmPage::ShowPasswordAsChosen() {
    const QString password = FromLatin1(context_.wizard.newPassword);
    ShowInFull(ui_.NewPasswordLabel, ui_.ShowPasswordCheckBox->isChecked()
                                         ? password
                                         : QString(password.size(), QLatin1Char('*')));
}

void ConfirmPage::Fill() {
    const WizardState& wizard = context_.wizard;
    // The device's settings: name, password (hidden until asked for), the address settings.
    ShowInFull(ui_.NewNameLabel, FromLatin1(wizard.newDeviceName));
    ui_.ShowPasswordCheckBox->setChecked(false);
    ShowPasswordAsChosen();
    ui_.NewIPModeLabel->setText(context_.Text(wizard.bStaticIP ? "StaticIP" : "Automatic_DHCP"));
    const auto address = [&wizard](const std::string& text) {
        return wizard.bStaticIP && !text.empty() ? FromLatin1(text) : QString(kNotWritten);
    };
    ui_.NewIPLabel->setText(address(wizard.newIPText));
    ui_.NewNetmaskLabel->setText(address(wizard.newNetmaskText));
    ui_.NewGatewayLabel->setText(address(wizard.newGatewayText));
    for (QLabel* label : DeviceValueLabels()) {
        label->show();
    }
    ui_.ShowPasswordCheckBox->show();

    // The wireless settings, or their own picture when they are left to the pairing.
    if (!confirmPictureTaken_) {
        confirmPicture_ = picture_.image();  // as the window set loaded it
        confirmPictureTaken_ = true;
    }
    const bool pairing = wizard.newSecurityMode == kSecurityPairing;
    picture_.setImage(pairing ? pairingConfirmPicture_ : confirmPicture_);
    if (pairing) {
        return;
    }
    ShowInFull(ui_.NewSSIDLabel, FromLatin1(wizard.newSSID));
    ui_.NewChannelLabel->setText(QString::number(wizard.newChannel));
    static constexpr std::string_view kModes[] = {"Mixed_Mode", "G_only", "B_only"};
    ui_.NewNetModeLabel->setText(wizard.newNetMode < std::size(kModes)
                                     ? context_.Text(kModes[wizard.newNetMode])
                                     : QString::number(wizard.newNetMode));
    if (const std::optional<std::string> security =
            ConfirmSecurityText(wizard.newSecurityMode, context_.texts)) {
        ui_.NewWepLabel->setText(
            QString::fromUtf8(security->data(), static_cast<qsizetype>(security->size())));
        ShowInFull(ui_.NewKeyLabel, FromLatin1(*KeyShownFor(wizard.newSecurityMode, wizard)));
    }
    for (QLabel* label : WirelessValueLabels()) {
        label->show();
    }
    // The note asks to keep the key only when there is one.
    ui_.NoteKeyLabel->setVisible(!ui_.NewKeyLabel->text().isEmpty());
}

QString ConfirmPage::NameValues() {
    std::vector<QLabel*> values;
    for (QLabel* label : DeviceValueLabels()) {
        values.push_back(label);
    }
    for (QLabel* label : WirelessValueLabels()) {
        values.push_back(label);
    }
    values.push_back(ui_.NoteKeyLabel);
    QString summary;
    for (QLabel* label : values) {
        // The value whole, as it is written (its lines joined again).
        const QVariant whole = label->property(kWholeValue);
        label->setAccessibleName(
            CaptionedValue(context_.AccessibleText(label->objectName().toStdString() + "_Name"),
                           whole.isValid() ? whole.toString() : label->text()));
        // The summary in reading order: Tab reaches only the buttons, and the two columns
        // read by position would mix.
        if (label->isVisibleTo(&window_)) {
            summary += QLatin1Char(' ') + label->accessibleName();
            if (!summary.endsWith(QLatin1Char('.'))) {
                summary += QLatin1Char('.');
            }
        }
    }
    return summary;
}

bool ConfirmPage::Write() {
    // Checked and converted once; settings that cannot be built are never sent, and the
    // exchange then ends without an acknowledgement.
    const auto built = BuildConfigureSettings(context_.wizard, context_.wizard.currentDevice);
    const ConfigureSettings* settings = std::get_if<ConfigureSettings>(&built);
    window_.hide();
    Exchanges::Configure outcome = Exchanges::Configure::NotAcknowledged;
    context_.dialogs().configure.RunExchange([&](const Exchanges::Progress& progress) {
        Exchanges::Progress shown = progress;
        // The main window is back while a late acknowledgement may still come.
        shown.ticksDone = [&] {
            progress.ticksDone();
            window_.show();
        };
        outcome = context_.exchanges().configure(settings, shown).outcome;
    });
    window_.show();
    return outcome == Exchanges::Configure::Acknowledged;
}

}  // namespace trv81k

#include "ui/Loginunit.h"

#include <QKeyEvent>

#include "l10n/texts.h"
#include "ui/input_filters.h"
#include "ui/page_table.h"
#include "ui/pause.h"
#include "ui/wizard_context.h"

namespace trv81k {

namespace {

constexpr int kWindowSize = 209;
constexpr int kCornerSize = 10;
constexpr int kPictureNumber = 21;  // of the language's pictures
// The password box, on the picture's field; the button in the footer band of the picture, wide
// enough for its caption in every language.
constexpr QPoint kPasswordEditPos{73, 73};
constexpr QRect kEnterPanelArea{117, 177, 76, 24};
// The busy sign, in the room the picture leaves under its text.
constexpr QRect kBusySignArea{14, 140, 181, 18};

}  // namespace

TLoginForm::TLoginForm(WizardContext& context)
    : FramelessDialog("LoginForm", kWindowSize, kWindowSize), context_(context) {
    ui_.Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    ui_.Panel1->setGeometry(0, 0, kWindowSize, kWindowSize);
    ui_.Image1 = new Picture(this, "Image1", Picture::Pointer::Active);
    ui_.Image1->setGeometry(0, 0, kWindowSize, kWindowSize);

    ui_.EnterPanel = new FlatPanel(this, "EnterPanel", QStringLiteral("Enter"));
    ui_.EnterPanel->setFont(PixelFont("Arial", 12));
    ui_.EnterPanel->setGeometry(kEnterPanelArea);

    ui_.PasswordEdit = new QLineEdit(this);
    ui_.PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    ui_.PasswordEdit->setFrame(false);
    ui_.PasswordEdit->setGeometry(QRect(kPasswordEditPos, QSize(124, 20)));
    ui_.PasswordEdit->setMaxLength(static_cast<int>(kMaxLoginPasswordLength));
    ShowAsStars(ui_.PasswordEdit);
    AllowLatin1Only(ui_.PasswordEdit);
    ui_.PasswordEdit->installEventFilter(this);

    ui_.BusySign = new trv81k::BusySign(this, "BusySign");
    ui_.BusySign->setGeometry(kBusySignArea);

    connect(ui_.EnterPanel, &FlatPanel::clicked, this, &TLoginForm::EnterPanelClick);
    connect(ui_.Image1, &Picture::mouseMoved, this,
            [this] { ui_.EnterPanel->setCaptionColour(look::kCaption); });
    // The keyboard: the password, then Enter, which Return presses from the box as well;
    // Escape leaves the dialog for the list.
    setTabOrder(ui_.PasswordEdit, ui_.EnterPanel);
    ui_.EnterPanel->setDefault(true);
    setEscapeAction([this] {
        context_.exchangeState().clearSearchAnswered();
        done(QDialog::Rejected);
    });
    FormCreate();
}

void TLoginForm::FormCreate() {
    ui_.PasswordEdit->move(kPasswordEditPos);
    SetBackground(ui_.PasswordEdit, look::kWhite);
    ApplyRoundRectShape(this, width(), height(), kCornerSize, kCornerSize);
    ui_.PasswordEdit->clear();
    ui_.PasswordEdit->selectAll();  // the whole text is selected when the box gets the focus

    ui_.Image1->setStretchedImage(
        context_.services().libraryPicture(context_.languageBase + kPictureNumber));
    {
        const ProfileReader reader = context_.OpenLanguageFile();
        ui_.EnterPanel->setCaption(QString::fromStdString(
            reader.ReadString(context_.languageSection, kLoginFormKeys[0], "")));
    }
    context_.NameDialog(this, ui_.Image1, "LoginForm");
    ui_.PasswordEdit->setAccessibleName(context_.AccessibleText("LoginPasswordEdit_Name"));
    ui_.PasswordEdit->setAccessibleDescription(context_.AccessibleText("LoginPasswordEdit_Text"));
    centreOnScreen();
}

void TLoginForm::showEvent(QShowEvent* event) {
    FramelessDialog::showEvent(event);
    ui_.PasswordEdit->setFocus(Qt::OtherFocusReason);  // each time, as the dialog opens
}

void TLoginForm::EnterPanelClick() {
    if (!context_.network().checkAdapter()) {
        context_.ShowWarning(this, "INVALID_NIC");
        return;
    }
    context_.wizard.loginPassword = ToLatin1(ui_.PasswordEdit->text());
    // Input made during the wait is lost; a password the device did not answer counts as wrong.
    ui_.BusySign->start(context_.Text("LOGIN_BUSY"));
    if (context_.exchanges().logIn(context_.wizard.loginPassword) != Exchanges::Login::Accepted) {
        ui_.BusySign->stop();
        context_.ShowWarning(this, "PASSWORD_ERROR");
        ui_.PasswordEdit->setFocus();
        ui_.PasswordEdit->selectAll();
        return;
    }
    context_.wizard.loadFromDevice(context_.wizard.currentDevice);
    pauseDraining(context_.timing().loginSuccessPause);
    ui_.BusySign->stop();
    done(QDialog::Accepted);
    context_.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
}

bool TLoginForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.PasswordEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EnterPanelClick();
            return true;
        }
    }
    return FramelessDialog::eventFilter(watched, event);
}

}  // namespace trv81k

#include "ui/Loginunit.h"

#include <QKeyEvent>

#include "l10n/texts.h"
#include "ui/Mainunit.h"
#include "ui/input_filters.h"
#include "ui/pause.h"

namespace trv81k {

namespace {

constexpr int kWindowSize = 209;

}  // namespace

TLoginForm::TLoginForm(TMainForm& main)
    : FramelessDialog("LoginForm", kWindowSize, kWindowSize), main_(main) {
    Panel1 = new HolderPanel(this, "Panel1", look::kButtonGreen);
    Panel1->setGeometry(0, 0, kWindowSize, kWindowSize);
    Image1 = new Picture(this, "Image1", Picture::Pointer::Active);
    Image1->setGeometry(0, 0, kWindowSize, kWindowSize);

    EnterPanel = new FlatPanel(this, "EnterPanel", QStringLiteral("Enter"));
    EnterPanel->setFont(PixelFont("Arial", 12));
    EnterPanel->setGeometry(151, 187, 34, 18);

    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    PasswordEdit->setFrame(false);
    PasswordEdit->setGeometry(73, 73, 124, 20);
    PasswordEdit->setMaxLength(static_cast<int>(kMaxLoginPasswordLength));
    ShowAsStars(PasswordEdit);
    AllowLatin1Only(PasswordEdit);
    PasswordEdit->installEventFilter(this);

    connect(EnterPanel, &FlatPanel::clicked, this, &TLoginForm::EnterPanelClick);
    connect(Image1, &Picture::mouseMoved, this,
            [this] { EnterPanel->setCaptionColour(look::kGrey); });
    FormCreate();
}

void TLoginForm::FormCreate() {
    PasswordEdit->move(73, 73);
    SetBackground(PasswordEdit, look::kWhite);
    ApplyRoundRectShape(this, width(), height(), 10, 10);
    PasswordEdit->clear();
    PasswordEdit->selectAll();  // the whole text is selected when the box gets the focus

    Image1->setStretchedImage(main_.services().libraryPicture(main_.languageBase + 21));
    {
        const ProfileReader reader = main_.OpenLanguageFile();
        EnterPanel->setCaption(QString::fromStdString(
            reader.ReadString(main_.languageSection, kLoginFormKeys[0], "")));
    }
    if (main_.languageSection == "German" || main_.languageSection == "French") {
        EnterPanel->setGeometry(143, 189, 50, EnterPanel->height());
    }
    centreOnScreen();
}

void TLoginForm::EnterPanelClick() {
    TMainForm& main = main_;
    if (!main.network().checkAdapter()) {
        main.ShowWarning(this, "INVALID_NIC");
        return;
    }
    main.wizard.loginPassword = ToLatin1(PasswordEdit->text());
    ExchangeState& state = main.exchange();
    state.bAuthOK.store(false, std::memory_order_release);
    main.network().sendPacket(PacketKind::Authentication, main.wizard);
    // The full wait, whatever comes in meanwhile; input made during it is lost.
    pauseDraining(main.timing().loginPause);
    if (!state.bAuthOK.load(std::memory_order_acquire)) {
        main.ShowWarning(this, "PASSWORD_ERROR");
        PasswordEdit->setFocus();
        PasswordEdit->selectAll();
        return;
    }
    main.wizard.loadFromDevice(main.wizard.currentDevice);
    pauseDraining(main.timing().loginSuccessPause);
    done(QDialog::Accepted);
    main.LoadPage(PAGE_STEP_6_BASIC_SETTINGS);
}

bool TLoginForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PasswordEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            EnterPanelClick();
            return true;
        }
        if (key == Qt::Key_Escape) {
            main_.exchange().bGetSearchAck.store(false, std::memory_order_release);
            done(QDialog::Rejected);
            return true;
        }
    }
    return FramelessDialog::eventFilter(watched, event);
}

}  // namespace trv81k

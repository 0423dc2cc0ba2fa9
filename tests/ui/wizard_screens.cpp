// Renders every page and every dialog of the wizard in English, German and French to PNG files
// (offscreen, in-process, against three emulated devices in memory; no sockets).
//   wizard_screens OUTPUT_DIR [PICTURE_LIBRARY_FOLDER]
// Files: en-page01.png ... en-page19.png, en-page18-pairing.png (the confirmation of the pairing
// road), en-search.png, en-searchfail.png, en-login.png, en-configure.png, en-radius.png,
// en-bps1.png ... en-bps3.png, and the same for de and fr.
// Windows cut to a shape are saved with the cut-off parts transparent, as a user sees them.
// Also prints the resident memory after reaching the access-point list.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <string>

#include "resource/window_pictures.h"
#include "support/harness.h"
#include "ui/Bpsintrounit.h"
#include "ui/Configureunit.h"
#include "ui/Loginunit.h"
#include "ui/Mainunit.h"
#include "ui/Searchfailunit.h"
#include "ui/Searchunit.h"
#include "ui/Wparadiusnote.h"

using namespace trv81k;
using namespace trv81k::testing;

namespace {

QString gOutput;
int gWritten = 0;

// The widget as shown: its mask applied, transparent outside.
QImage Render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        if (!widget->mask().isEmpty()) {
            painter.setClipRegion(widget->mask());
        }
        painter.drawPixmap(0, 0, widget->grab());
    }
    if (!widget->mask().isEmpty()) {
        image = image.copy(widget->mask().boundingRect());
    }
    return image;
}

void Save(QWidget* widget, const QString& code, const QString& name) {
    QApplication::processEvents();
    const QString path = gOutput + "/" + code + "-" + name + ".png";
    if (!Render(widget).save(path)) {
        std::fprintf(stderr, "wizard_screens: cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ++gWritten;
}

std::vector<emulator::EmulatedDevice> Devices() {
    auto office = MakeDevice(1, "TRV81K-Office", "office1");
    office.settings.ssid = "Office";
    office.settings.security = kSecurityWpa2Aes;
    office.settings.channel = 6;
    auto hall = MakeDevice(2, "TRV81K-Hall", "hall2");
    hall.settings.ssid = "Hall & Stairs";
    hall.settings.security = kSecurityWep64;
    hall.settings.ipMode = 0;
    hall.settings.channel = 1;
    auto garden = MakeDevice(3, "TRV81K-Garden", "garden3");
    garden.settings.security = kSecurityDisabled;
    garden.behaviour.pairingManaged = true;
    return {office, hall, garden};
}

void ShootLanguage(const std::string& section, const QString& code, bool reportMemory) {
    HarnessOptions options = WithDevices(Devices());
    options.section = section;
    options.realPictures = true;
    Harness h(options);
    TMainForm& main = h.main();
    FlatPanel& next = Control<FlatPanel>(main, "NextPanel");
    main.activateWindow();
    QTest::qWait(20);

    // Pages 1 to 5 by the buttons.
    Save(&main, code, "page01");
    for (int page = 2; page <= 5; ++page) {
        if (page == 2) {
            Harness::click(Control<FlatPanel>(main, "SetupPanel"));
        } else {
            Harness::click(next);
        }
        Save(&main, code, QStringLiteral("page%1").arg(page, 2, 10, QLatin1Char('0')));
    }

    // The search dialog half-way (the answers held until then), then the list.
    TSearchForm& search = h.windows().searchForm();
    h.network().setDelivery(PacketKind::Search, FakeNetwork::Delivery::Held);
    QObject::connect(&search, &TSearchForm::ticked, &search, [&](int counter) {
        if (counter == 4) {
            Save(&search, code, "search");
        } else if (counter == 5) {
            h.network().releaseHeld();
        }
    });
    Harness::click(next);
    Save(&main, code, "page06");
    if (reportMemory) {
        std::printf("resident memory on the access-point list: %ld kB\n", ResidentKilobytes());
    }

    // The login dialog, with a password typed.
    TLoginForm* login = &h.windows().loginForm();
    WhenVisible(login, [login, code] {
        QLineEdit* password = &Control<QLineEdit>(*login, "PasswordEdit");
        QTest::keyClicks(password, QStringLiteral("office1"));
        Save(login, code, "login");
        QTest::keyClick(password, Qt::Key_Return);
    });
    Harness::click(Control<FlatPanel>(main, "YesPanel"));

    // The settings pages along the road, filled as a user fills them.
    Save(&main, code, "page07");
    Harness::click(next);
    Save(&main, code, "page08");
    Harness::click(next);  // the pairing check: the office device answers
    Save(&main, code, "page09");
    Harness::click(next);
    Harness::click(Control<QRadioButton>(main, "RadioBtnPSK"));
    Save(&main, code, "page10");
    Harness::click(next);
    Choose(Control<QComboBox>(main, "SecurityComboBox"), 3);  // WPA2 Personal
    QTest::keyClicks(&Control<QLineEdit>(main, "PSKEdit"),
                     QStringLiteral("correct horse battery staple, twice over"));
    Save(&main, code, "page12");
    Harness::click(next);
    Save(&main, code, "page18");
    const int security = main.wizard.newSecurityMode;
    main.wizard.newSecurityMode = kSecurityPairing;
    main.LoadPage(PAGE_CONFIRM);
    Save(&main, code, "page18-pairing");
    main.wizard.newSecurityMode = security;
    main.LoadPage(PAGE_SECURE_4_WEP);
    QTest::keyClicks(&Control<QLineEdit>(main, "PassphraseEdit"), QStringLiteral("my passphrase"));
    Save(&main, code, "page11");
    main.LoadPage(PAGE_CONGRATULATION);
    Save(&main, code, "page19");

    // The other dialogs.
    TSearchFailForm& fail = h.windows().searchFailForm();
    // Behind a firewall, beside an adapter without link.
    const std::vector<AdapterFacts> facts{
        AdapterFacts{.adapter = h.network().adapters().front(), .probed = true, .own = 0},
        AdapterFacts{.adapter = Adapter{"lan2", {10, 0, 0, 5}, {255, 255, 255, 0}},
                     .carrier = false,
                     .probed = true,
                     .own = 1}};
    fail.ShowDiagnosis(DiagnoseFacts(facts, DeviceTable{}));
    fail.show();
    Save(&fail, code, "searchfail");
    fail.hide();

    TConfigureForm& configure = h.windows().configureForm();
    configure.show();
    Save(&configure, code, "configure");
    configure.hide();

    TWPARadiusNoteForm& note = h.windows().radiusNoteForm();
    note.show();
    Save(&note, code, "radius");
    note.hide();

    TBPSIntroForm& intro = h.windows().bpsIntroForm();
    intro.show();
    Save(&intro, code, "bps1");
    intro.NextButtonImageClick();
    Save(&intro, code, "bps2");
    intro.NextButtonImageClick();
    Save(&intro, code, "bps3");
    intro.hide();

    for (const QString& text : h.messages().warnings) {
        std::fprintf(stderr, "wizard_screens (%s): message box: %s\n", section.c_str(),
                     qPrintable(text));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wizard_screens OUTPUT_DIR [PICTURE_LIBRARY_FOLDER]\n");
        return 2;
    }
    gOutput = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(gOutput);
    SetPictureLibraryFolder(argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : QStringLiteral(TRV81K_BINARY_DIR "/bin"));
    ShootLanguage("English", QStringLiteral("en"), true);
    ShootLanguage("German", QStringLiteral("de"), false);
    ShootLanguage("French", QStringLiteral("fr"), false);
    std::printf("%d pictures written to %s\n", gWritten, qPrintable(gOutput));
    return 0;
}

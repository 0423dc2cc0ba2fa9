// The window set: creation order, global instances, the language choice that the dialogs read
// while they are created, texts and pictures by language, missing Language.ini, one of junk
// and endless lines, missing picture library, and the channel set-up at start.

#include <QComboBox>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <random>

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

class WindowSetTest : public QObject {
    Q_OBJECT
private slots:
    void createsSevenWindowsInOrderAndClearsGlobals();
    void languageChoiceFeedsEveryWindow_data();
    void languageChoiceFeedsEveryWindow();
    void picturesAreRequestedByLanguageBase();
    void missingLanguageFileLeavesEmptyTexts();
    void languageFileOfJunkAndLongLinesIsReadAsFarAsItMakesSense();
    void missingPictureLibraryLeavesEmptyPicturesAndWorks();
    void channelListGrowsOnlyWhenTheChannelOpens();
    void socketFailureShowsItsMessageAndEnds_data();
    void socketFailureShowsItsMessageAndEnds();
    void firstPageIsTheWelcomePage();
};

void WindowSetTest::createsSevenWindowsInOrderAndClearsGlobals() {
    {
        Harness h;
        const std::vector<QString> expected = {"MainForm",    "ConfigureForm", "SearchFailForm",
                                               "SearchForm",  "LoginForm",     "WPARadiusNoteForm",
                                               "BPSIntroForm"};
        QCOMPARE(h.windows().creationOrder(), expected);
        QCOMPARE(MainForm, &h.main());
        QCOMPARE(ConfigureForm, &h.windows().configureForm());
        QCOMPARE(SearchFailForm, &h.windows().searchFailForm());
        QCOMPARE(SearchForm, &h.windows().searchForm());
        QCOMPARE(LoginForm, &h.windows().loginForm());
        QCOMPARE(WPARadiusNoteForm, &h.windows().radiusNoteForm());
        QCOMPARE(BPSIntroForm, &h.windows().bpsIntroForm());
        QVERIFY(!LoginForm->isVisible());
        QVERIFY(!SearchForm->isVisible());
    }
    QCOMPARE(MainForm, nullptr);
    QCOMPARE(LoginForm, nullptr);
    QCOMPARE(BPSIntroForm, nullptr);
}

void WindowSetTest::languageChoiceFeedsEveryWindow_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("searchLabel");
    QTest::addColumn<QString>("configureLabel");
    QTest::addColumn<QRect>("enterPanel");
    QTest::addColumn<QString>("exitCaption");
    QTest::newRow("English") << "English" << 100 << "Checking your Network Connection"
                             << "Configuring the TRV81K," << QRect(151, 187, 34, 18) << "Exit";
    QTest::newRow("German") << "German" << 200
                            << QString::fromUtf8("Netzwerkverbindung wird geprüft")
                            << "TRV81K wird eingestellt," << QRect(143, 189, 50, 18) << "Beenden";
    QTest::newRow("French") << "French" << 300 << QString::fromUtf8("Vérification de la connexion")
                            << "Configuration en cours," << QRect(143, 189, 50, 18) << "Quitter";
}

void WindowSetTest::languageChoiceFeedsEveryWindow() {
    QFETCH(QString, section);
    QFETCH(int, base);
    HarnessOptions options;
    options.section = section.toStdString();
    Harness h(options);
    QCOMPARE(QString::fromStdString(h.main().languageSection), section);
    QCOMPARE(h.main().languageBase, base);
    // The section goes to the trace channel once, first of all lines.
    QVERIFY(!h.traces.empty());
    QCOMPARE(QString::fromStdString(h.traces.front()), section);
    QTEST(h.windows().searchForm().Label1->text(), "searchLabel");
    QTEST(h.windows().configureForm().Label1->text(), "configureLabel");
    QTEST(h.windows().loginForm().EnterPanel->geometry(), "enterPanel");
    QTEST(h.main().ExitPanel->text(), "exitCaption");
}

void WindowSetTest::picturesAreRequestedByLanguageBase() {
    HarnessOptions options;
    options.section = "German";
    Harness h(options);
    std::vector<int> requested = h.picturesRequested;
    std::sort(requested.begin(), requested.end());
    const std::vector<int> expected = {201, 202, 203, 204, 205, 206, 207, 208, 209, 210,
                                       211, 212, 215, 216, 217, 218, 219, 220, 221, 222};
    QCOMPARE(requested, expected);
    QVERIFY(h.main().Image[0]->hasImage());
    QVERIFY(h.windows().loginForm().Image1->hasImage());
}

void WindowSetTest::missingLanguageFileLeavesEmptyTexts() {
    HarnessOptions options;
    options.languageFile =
        std::filesystem::path(TRV81K_BINARY_DIR) / "no-such-folder" / "Language.ini";
    Harness h(options);
    TMainForm& main = h.main();
    for (const std::string_view key : kMainWindowCaptionKeys) {
        const auto* panel = qobject_cast<const FlatPanel*>(main.Control(key));
        QVERIFY2(panel != nullptr, key.data());
        QVERIFY2(panel->text().isEmpty(), key.data());
    }
    // The first activation fills the lists from the (empty) texts.
    main.activateWindow();
    QTRY_VERIFY(main.bSettingsApplied);
    QCOMPARE(Items(main.DHCPModeComboBox), QStringList(2, QString()));
    QCOMPARE(Items(main.NetModeComboBox), QStringList(3, QString()));
    QCOMPARE(Items(main.SecurityComboBox), QStringList(6, QString()));
    QVERIFY(h.windows().loginForm().EnterPanel->text().isEmpty());
    QVERIFY(h.windows().searchFailForm().ContinuePanel->text().isEmpty());
    QVERIFY(h.windows().radiusNoteForm().OKPanel->text().isEmpty());
    QVERIFY(h.windows().searchForm().Label1->text().isEmpty());
    // A message box shows an empty text, and the wizard goes on.
    h.network().adapterPresent = false;
    h.walkToPage5();
    Harness::click(main.NextPanel);
    QCOMPARE(h.messages().warnings, std::vector<QString>{QString()});
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_4_CHECK_STATUS));
}

// Binary junk and lines of 100,000 characters around a few good entries: the wizard starts,
// the good entries are read, a text that long is cut to 2047 bytes, and its message box shows
// the cut text.
void WindowSetTest::languageFileOfJunkAndLongLinesIsReadAsFarAsItMakesSense() {
    std::mt19937 random(100000);
    const auto junk = [&](std::size_t length) {
        std::string bytes(length, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random());
        }
        return bytes;
    };
    std::string text = junk(64 * 1024) + "\n[English]\n";
    text += "NextPanel=" + std::string(100000, 'N') + "\n";
    // One line of binary junk inside the section: no line end in it, and it does not start a
    // section of its own.
    std::string line = "j" + junk(100000);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\0'; }, ' ');
    text += line + "\n";
    text += std::string(100000, 'k') + "=" + std::string(100000, 'v') + "\n";
    text += "INVALID_NIC=\"" + std::string(99990, 'x') + "\"\n";
    text += "ExitPanel=Exit\n";
    text += junk(100000);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::filesystem::path file = dir.filePath(QStringLiteral("Language.ini")).toStdString();
    std::ofstream(file, std::ios::binary) << text;

    HarnessOptions options;
    options.languageFile = file;
    Harness h(options);
    TMainForm& main = h.main();
    QVERIFY(main.isVisible());
    QCOMPARE(main.ExitPanel->text(), QStringLiteral("Exit"));
    QCOMPARE(main.NextPanel->text(), QString(2047, QLatin1Char('N')));
    h.network().adapterPresent = false;
    h.walkToPage5();
    Harness::click(main.NextPanel);
    QCOMPARE(h.messages().warnings, std::vector<QString>{QString(2047, QLatin1Char('x'))});
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_4_CHECK_STATUS));
    QCOMPARE(h.network().sentTotal(), 0);
}

void WindowSetTest::missingPictureLibraryLeavesEmptyPicturesAndWorks() {
    HarnessOptions options;
    options.pictures = false;
    options.devices = {MakeDevice(1, "Office")};
    Harness h(options);
    TMainForm& main = h.main();
    for (int page = 0; page < kPageSlots; ++page) {
        if (const Picture* picture = main.PagePicture(page)) {
            QVERIFY(!picture->hasImage());
        }
    }
    QVERIFY(!h.windows().loginForm().Image1->hasImage());
    QVERIFY(!h.windows().bpsIntroForm().BPSImage[0]->hasImage());
    h.walkToList();
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QCOMPARE(main.APListView->count(), 1);
}

void WindowSetTest::channelListGrowsOnlyWhenTheChannelOpens() {
    Harness h;
    QCOMPARE(h.main().ChannelComboBox->count(), 13);
    QCOMPARE(h.main().ChannelComboBox->itemText(12), QStringLiteral("13"));
    QVERIFY(h.main().started());
    QVERIFY(h.network().receiverRunning());
    QCOMPARE(h.quitCount, 0);
}

void WindowSetTest::socketFailureShowsItsMessageAndEnds_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("key");
    QTest::newRow("socket") << int(NetworkPort::OpenResult::SocketFailed) << "SOCKET_FAIL";
    QTest::newRow("bind") << int(NetworkPort::OpenResult::BindFailed) << "BIND_FAIL";
}

void WindowSetTest::socketFailureShowsItsMessageAndEnds() {
    QFETCH(int, result);
    QFETCH(QString, key);
    HarnessOptions options;
    options.prepareNetwork = [result](FakeNetwork& network) {
        network.openResult = static_cast<NetworkPort::OpenResult>(result);
    };
    Harness h(options);
    QVERIFY(!h.main().started());
    QCOMPARE(h.main().ChannelComboBox->count(), 11);
    QCOMPARE(h.messages().warnings.size(), std::size_t{1});
    QCOMPARE(h.messages().warnings[0], h.main().Text(key.toStdString()));
    QVERIFY(!h.messages().warnings[0].isEmpty());
    QCOMPARE(h.quitCount, 1);
}

void WindowSetTest::firstPageIsTheWelcomePage() {
    Harness h;
    TMainForm& main = h.main();
    QCOMPARE(main.nCurrentPage, int(PAGE_WELCOME));
    QVERIFY(main.isVisible());
    QCOMPARE(main.size(), QSize(580, 436));
    QVERIFY(main.Image[0]->isVisible());
    QVERIFY(!main.Image[1]->isVisible());
    for (QWidget* w :
         {static_cast<QWidget*>(main.SetupPanel), static_cast<QWidget*>(main.UserguidePanel),
          static_cast<QWidget*>(main.ExitPanel), static_cast<QWidget*>(main.ClickHerePanel)}) {
        QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
    }
    QVERIFY(!main.NextPanel->isVisible());
    QVERIFY(!main.APListView->isVisible());
    QCOMPARE(main.ExitPanel->pos(), QPoint(424, 374));
    // The wizard state starts empty with the static address mode.
    QVERIFY(main.wizard.bStaticIP);
    QVERIFY(main.wizard.newSSID.empty());
    QCOMPARE(main.wizard.newChannel, 0);
}

QTEST_MAIN(WindowSetTest)
#include "tst_windowset.moc"

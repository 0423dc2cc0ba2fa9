// The window set: creation order and the end of the set, the language choice that the dialogs read
// while they are created, texts and pictures by language, missing Language.ini, one of junk
// and endless lines, missing picture library, and the channel set-up at start.

#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
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
#include "ui/page_table.h"

using namespace trv81k;
using namespace trv81k::testing;

class WindowSetTest : public QObject {
    Q_OBJECT
private slots:
    void createsSevenWindowsInOrderAndEndsWithThem();
    void firstPageAloneUntilPaintedThenTheRestInOrder();
    void languageChoiceFeedsEveryWindow_data();
    void languageChoiceFeedsEveryWindow();
    void missingLanguageFileLeavesEmptyTexts();
    void languageFileOfJunkAndLongLinesIsReadAsFarAsItMakesSense();
    void missingPictureLibraryLeavesEmptyPicturesAndWorks();
    void channelSetUpAtStart_data();
    void channelSetUpAtStart();
};

void WindowSetTest::createsSevenWindowsInOrderAndEndsWithThem() {
    std::vector<QPointer<QWidget>> windows;
    {
        Harness h;
        const std::vector<QString> expected = {"MainForm",    "ConfigureForm", "SearchFailForm",
                                               "SearchForm",  "LoginForm",     "WPARadiusNoteForm",
                                               "BPSIntroForm"};
        QCOMPARE(h.windows().creationOrder(), expected);
        WindowSet& set = h.windows();
        windows = {&set.mainForm(),    &set.configureForm(), &set.searchFailForm(),
                   &set.searchForm(),  &set.loginForm(),     &set.radiusNoteForm(),
                   &set.bpsIntroForm()};
        for (std::size_t i = 0; i < windows.size(); ++i) {
            QCOMPARE(windows[i]->objectName(), expected[i]);
            QCOMPARE(windows[i]->isVisible(), i == 0);  // the dialogs wait for their turn
        }
    }
    // Every window went with the set (the main window, with the channel, last).
    for (const QPointer<QWidget>& window : windows) {
        QVERIFY(window.isNull());
    }
}

// As the product starts: the main window with its first page and its picture alone; once that
// page is painted, the other pages (hidden) and the dialogs, in the set's order.
void WindowSetTest::firstPageAloneUntilPaintedThenTheRestInOrder() {
    HarnessOptions options;
    options.completeAtOnce = false;
    Harness h(options);
    TMainForm& main = h.main();
    QCOMPARE(main.nCurrentPage, int(PAGE_WELCOME));
    QCOMPARE(h.windows().creationOrder(), std::vector<QString>{"MainForm"});
    QCOMPARE(h.picturesRequested, std::vector<int>{100 + PAGE_WELCOME});
    QVERIFY(!main.pagesBuilt());
    QVERIFY(main.findChild<QWidget*>(QStringLiteral("IPEdit")) == nullptr);

    QSignalSpy up(&main, &TMainForm::firstPageUp);
    QVERIFY(up.wait(5000));
    QVERIFY(main.pagesBuilt());
    const std::vector<QString> expected = {"MainForm",    "ConfigureForm", "SearchFailForm",
                                           "SearchForm",  "LoginForm",     "WPARadiusNoteForm",
                                           "BPSIntroForm"};
    QCOMPARE(h.windows().creationOrder(), expected);
    QVERIFY(Control<QLineEdit>(main, "IPEdit").isHidden());
    QVERIFY(Control<FlatPanel>(main, "ClickHerePanel").isVisible());
    QCOMPARE(main.nCurrentPage, int(PAGE_WELCOME));
}

void WindowSetTest::languageChoiceFeedsEveryWindow_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("base");  // of the picture numbers
    QTest::addColumn<QString>("searchLabel");
    QTest::addColumn<QString>("configureLabel");
    QTest::addColumn<QString>("exitCaption");
    QTest::addColumn<QString>("enterCaption");
    QTest::addColumn<QString>("buttonFaces");  // of the pairing introduction
    QTest::addColumn<QString>("title");        // of every window
    QTest::newRow("English") << "English" << 100 << "Searching the network for the TRV81K"
                             << "Writing the settings to the TRV81K"
                             << "Exit"
                             << "Enter"
                             << "en"
                             << "TRV81K Setup Wizard";
    QTest::newRow("German") << "German" << 200
                            << QString::fromUtf8("TRV81K wird im Netzwerk gesucht")
                            << "Einstellungen werden geschrieben"
                            << "Beenden"
                            << "Weiter"
                            << "de"
                            << "TRV81K-Einrichtungsassistent";
    QTest::newRow("French") << "French" << 300
                            << QString::fromUtf8("Recherche du TRV81K sur le réseau")
                            << QString::fromUtf8("Écriture des paramètres…") << "Quitter"
                            << "Valider"
                            << "fr"
                            << "Assistant de configuration TRV81K";
    QTest::newRow("other") << "Dutch" << 0 << QString() << QString() << QString() << QString()
                           << "en" << QString();
}

void WindowSetTest::languageChoiceFeedsEveryWindow() {
    QFETCH(QString, section);
    QFETCH(int, base);
    QFETCH(QString, buttonFaces);
    Harness h(InLanguage(section.toStdString()));
    QCOMPARE(QString::fromStdString(h.main().languageSection), section);
    QCOMPARE(h.main().languageBase, base);
    // The section goes to the trace channel once, first of all lines.
    QVERIFY(!h.traces.empty());
    QCOMPARE(QString::fromStdString(h.traces.front()), section);
    QTEST(Control<QLabel>(h.windows().searchForm(), "Label1").text(), "searchLabel");
    QTEST(Control<QLabel>(h.windows().configureForm(), "Label1").text(), "configureLabel");
    QTEST(Control<FlatPanel>(h.main(), "ExitPanel").text(), "exitCaption");
    const FlatPanel& enter = Control<FlatPanel>(h.windows().loginForm(), "EnterPanel");
    QTEST(enter.text(), "enterCaption");

    // The picture library by the language's base: 1 to 13 (13: the confirmation of the
    // pairing road) and 15 to 22 at start.
    std::vector<int> requested = h.picturesRequested;
    std::sort(requested.begin(), requested.end());
    std::vector<int> expected;
    for (int n = 1; n <= 22; ++n) {
        if (n != 14) {
            expected.push_back(base + n);
        }
    }
    QCOMPARE(requested, expected);
    QVERIFY(Control<Picture>(h.main(), "Image0").hasImage());
    QVERIFY(Control<Picture>(h.windows().loginForm(), "Image1").hasImage());
    TBPSIntroForm& intro = h.windows().bpsIntroForm();
    QCOMPARE(Control<Picture>(intro, "BPSImage2").image(), NumberedPicture(base + 16));
    QCOMPARE(Control<FlatPanel>(intro, "CloseButtonImage").face(),
             NamedPicture(("bps_close_" + buttonFaces).toStdString()));
    QCOMPARE(Control<FlatPanel>(intro, "NextButtonImage").face(),
             NamedPicture(("bps_next_" + buttonFaces).toStdString()));
    // Every window is titled with the product's name in the language and carries its icon.
    WindowSet& set = h.windows();
    for (QWidget* window : std::initializer_list<QWidget*>{
             &set.mainForm(), &set.configureForm(), &set.searchFailForm(), &set.searchForm(),
             &set.loginForm(), &set.radiusNoteForm(), &set.bpsIntroForm()}) {
        QTEST(window->windowTitle(), "title");
        QVERIFY(!window->windowIcon().isNull());
    }
}

void WindowSetTest::missingLanguageFileLeavesEmptyTexts() {
    HarnessOptions options;
    options.languageFile =
        std::filesystem::path(TRV81K_BINARY_DIR) / "no-such-folder" / "Language.ini";
    Harness h(options);
    TMainForm& main = h.main();
    for (const std::string_view key : kMainWindowCaptionKeys) {
        const std::string name(key);
        QVERIFY2(Control<FlatPanel>(main, name.c_str()).text().isEmpty(), name.c_str());
    }
    // The wizard says why, once and in English, naming the file it looked for.
    QTRY_COMPARE(h.messages().warnings.size(), std::size_t{1});
    QVERIFY(h.messages().warnings.front().contains(QStringLiteral("no-such-folder")));
    QVERIFY(h.messages().warnings.front().contains(QStringLiteral("was not found")));
    // The first activation fills the lists from the (empty) texts.
    main.activateWindow();
    QTRY_COMPARE(Items(Control<QComboBox>(main, "NetModeComboBox")), QStringList(3, QString()));
    QCOMPARE(Items(Control<QComboBox>(main, "DHCPModeComboBox")), QStringList(2, QString()));
    QCOMPARE(Items(Control<QComboBox>(main, "SecurityComboBox")), QStringList(6, QString()));
    QVERIFY(Control<FlatPanel>(h.windows().loginForm(), "EnterPanel").text().isEmpty());
    QVERIFY(Control<FlatPanel>(h.windows().searchFailForm(), "ContinuePanel").text().isEmpty());
    QVERIFY(Control<FlatPanel>(h.windows().radiusNoteForm(), "OKPanel").text().isEmpty());
    QVERIFY(Control<QLabel>(h.windows().searchForm(), "Label1").text().isEmpty());
    // A message box shows an empty text, and the wizard goes on.
    h.searchWithoutAdapter();
    QCOMPARE(h.messages().warnings.size(), std::size_t{2});
    QCOMPARE(h.messages().warnings.back(), QString());
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
    QCOMPARE(Control<FlatPanel>(main, "ExitPanel").text(), QStringLiteral("Exit"));
    QCOMPARE(Control<FlatPanel>(main, "NextPanel").text(), QString(2047, QLatin1Char('N')));
    h.searchWithoutAdapter();
    QCOMPARE(h.messages().warnings, std::vector<QString>{QString(2047, QLatin1Char('x'))});
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_4_CHECK_STATUS));
    QCOMPARE(h.network().sentTotal(), 0);
}

void WindowSetTest::missingPictureLibraryLeavesEmptyPicturesAndWorks() {
    HarnessOptions options = WithDevices({MakeDevice(1, "Office")});
    options.pictures = false;
    Harness h(options);
    TMainForm& main = h.main();
    for (const PageLayout& layout : kPageTable) {
        QVERIFY2(!Control<Picture>(main, layout.picture).hasImage(), layout.picture);
    }
    QVERIFY(!Control<Picture>(h.windows().loginForm(), "Image1").hasImage());
    QVERIFY(!Control<Picture>(h.windows().bpsIntroForm(), "BPSImage1").hasImage());
    h.walkToList();
    QCOMPARE(main.nCurrentPage, int(PAGE_STEP_5_SELECT_AP));
    QCOMPARE(Control<QListWidget>(main, "APListView").count(), 1);
}

void WindowSetTest::channelSetUpAtStart_data() {
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("key");  // of the message, none when the channel opens
    QTest::addColumn<int>("channels");
    QTest::newRow("open") << int(NetworkPort::OpenResult::Open) << "" << 13;
    QTest::newRow("socket") << int(NetworkPort::OpenResult::SocketFailed) << "SOCKET_FAIL" << 11;
    QTest::newRow("bind") << int(NetworkPort::OpenResult::BindFailed) << "BIND_FAIL" << 11;
}

// The channel list grows to 13 only when the channel opens; a failure shows its message and
// ends the program.
void WindowSetTest::channelSetUpAtStart() {
    QFETCH(int, result);
    QFETCH(QString, key);
    QFETCH(int, channels);
    HarnessOptions options;
    options.prepareNetwork = [result](FakeNetwork& network) {
        network.openResult = static_cast<NetworkPort::OpenResult>(result);
    };
    Harness h(options);
    const bool opened = key.isEmpty();
    const QComboBox& channel = Control<QComboBox>(h.main(), "ChannelComboBox");
    QCOMPARE(channel.count(), channels);
    QCOMPARE(channel.itemText(channels - 1), QString::number(channels));
    QCOMPARE(h.main().started(), opened);
    QCOMPARE(h.network().receiverRunning(), opened);
    QCOMPARE(h.quitCount, opened ? 0 : 1);
    if (opened) {
        QVERIFY(h.messages().warnings.empty());
    } else {
        QCOMPARE(h.messages().warnings, std::vector<QString>{h.main().Text(key.toStdString())});
        QVERIFY(!h.messages().warnings[0].isEmpty());
    }
}

QTEST_MAIN(WindowSetTest)
#include "tst_windowset.moc"

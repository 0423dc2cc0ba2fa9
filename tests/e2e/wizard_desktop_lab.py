#!/usr/bin/env python3
"""The real trv81k-wizard on a desktop of its own, used as a keyboard user and as a screen
reader user uses it, against trv81k-emulator across the lab network.

    wizard_desktop_lab.py keyboard      WIZARD EMULATOR NETLAB CONFIG
    wizard_desktop_lab.py screen-reader WIZARD EMULATOR NETLAB CONFIG
    wizard_desktop_lab.py orca          WIZARD EMULATOR NETLAB CONFIG

The desktop: an Xvfb of its own with the openbox window manager, a session bus and the
accessibility bus (AT-SPI) on path sockets, which the wizard reaches from the lab's pc host.
The wizard runs on the pc host with the xcb platform and its accessibility always on; the
emulator (CONFIG) runs on ap1.

keyboard: the road static address + WPA2 by keys alone (xdotool key and type, no pointer),
in English; afterwards the emulator's state holds what was typed.

screen-reader: in English, German and French, every page and every dialog of the road (the
search and its failure, the list, the password dialog and a refusal's message box, the pairing
introduction, the RADIUS note, both key pages, the configure dialog, the congratulation page),
reached by keys, each looked at through AT-SPI: every button is a push button with a name and
the press action; every field, list and radio button has a name (a drop-down list, named by its
value as on every Linux desktop, has its caption as a label); nothing that shows is without a
name except pictures without words and empty boxes; the pictures that carry words are named;
a closed drop-down list shows no items; every window is named with the product and the heading,
and message boxes are titled with the product's name.

orca: the keyboard road with the Orca screen reader listening (speech-dispatcher with espeak-ng,
its sound written to a file by ALSA's file plugin); Orca's debug log gives what it spoke. Each
page's heading is spoken on arrival, no character of a password is, the device's name is spoken
whole, a drop-down list's value on focus and on change, and a percentage while the settings are
written.

The keys tell the wizard what to do; AT-SPI only tells the test when the wizard is ready for
the next key (the page's name, the window that is active).
Exit 77 (skipped) where the lab cannot be made (no root). The orca mode prints what Orca spoke,
step by step, with --speech.
"""

import configparser
import os
import re
import select
import shutil
import socket
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from labkit import PC, SKIP, Checks, Emulator, Lab, Skip, read_json  # noqa: E402

MODE = sys.argv[1]
WIZARD, EMULATOR, NETLAB, CONFIG = (os.path.abspath(a) for a in sys.argv[2:6])
BIN = os.path.dirname(os.path.abspath(WIZARD))  # Language.ini lies beside the wizard
DASH = " \u2013 "

# The road configures the first device of CONFIG (the first in the list; it answers the pairing
# check without managing its wireless settings). What the keyboard road types:
DEVICES = read_json(CONFIG)["devices"]
DEVICE_MAC, DEVICE_PASSWORD = DEVICES[0]["mac"], DEVICES[0]["password"]
TYPED = {"name": "Hall-AP", "password": "hall2024", "ipMode": "static", "ip": "10.81.0.77",
         "netmask": "255.255.255.0", "gateway": "10.81.0.254", "ssid": "KeyboardNet",
         "channel": 11, "networkMode": "g-only", "security": 9, "key": "typed by keys only"}

check = Checks("wizard_desktop_lab " + MODE)
atspi = Atspi = None  # pyatspi and its library, imported once the desktop's buses exist
ROLE_WORDS = {}


def log(*args):
    print("%7.1f s" % (time.monotonic() - START), *args, flush=True)


START = time.monotonic()


class Timeout(Exception):
    pass


def wait_until(what, probe, timeout=20.0):
    """Polls `probe` until it gives something true; that value. Timeout after `timeout` s."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except Exception:  # an object that went away while we looked
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout("waited %.0f s for %s" % (timeout, what))
        time.sleep(0.05)


class Desktop:
    """Xvfb, openbox and a session bus; the environment of the programs that use them."""

    def __init__(self, folder):
        self.folder = folder
        self.processes = []

    def __enter__(self):
        try:
            self.start_desktop()
        except BaseException:
            self.__exit__()
            raise
        return self

    def start_desktop(self):
        runtime = os.path.join(self.folder, "run")
        os.mkdir(runtime, 0o700)
        display = self.start_x()
        bus = os.path.join(self.folder, "bus")
        # A home of its own: labs that run at once share nothing of the desktop's files
        # (openbox's log and settings among them).
        home = os.path.join(self.folder, "desktop-home")
        os.mkdir(home)
        self.env = dict(os.environ, DISPLAY=":" + display, XDG_RUNTIME_DIR=runtime,
                        DBUS_SESSION_BUS_ADDRESS="unix:path=" + bus, HOME=home,
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"),
                        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.env.pop("QT_ACCESSIBILITY", None)
        # The buses answer on path sockets: abstract ones do not reach the lab's hosts.
        daemon = self.start(["dbus-daemon", "--session", "--nofork", "--print-address",
                             "--address=unix:path=" + bus], stdout=subprocess.PIPE)
        if not select.select([daemon.stdout], [], [], 30)[0]:
            raise RuntimeError("the session bus did not start")
        daemon.stdout.readline()
        # A window mapped before the window manager runs is taken over later but never made
        # active: the programs start once openbox has announced itself on the root window.
        # Now and then, with labs starting at once, openbox cannot open a display that answers
        # every other client ("Failed to open the display"); it is started again then.
        for attempt in range(1, 4):
            self.window_manager = self.start(["openbox", "--sm-disable"])
            ended = lambda: self.window_manager.poll() is not None
            try:
                wait_until("the window manager",
                           lambda: ended() or self.window_manager_running(), 10)
            except Timeout:
                pass
            if not ended() and self.window_manager_running():
                break
            said = self.window_manager_said()
            self.window_manager.kill()
            self.window_manager.wait()
            self.processes.remove(self.window_manager)
            if attempt == 3:
                raise RuntimeError("openbox did not take over the display in three attempts: "
                                   + said)
            log("openbox did not take over the display (%s); started again" % said)
        os.environ.update(self.env)

    def window_manager_said(self):
        path = os.path.join(self.env["XDG_CACHE_HOME"], "openbox", "openbox.log")
        said = open(path, errors="replace").read().strip() if os.path.exists(path) else ""
        return " ".join(said.split()) or "it said nothing"

    def window_manager_running(self):
        try:
            announced = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                       env=self.env, capture_output=True, text=True, timeout=10)
        except subprocess.TimeoutExpired:
            return False
        return "window id" in announced.stdout

    def start_x(self):
        """An Xvfb on the first free display from a number of our own; the display. The
        server's lock file, in the file system that every namespace shares, keeps a display
        to one server (the sockets' abstract names are per network namespace); ours is ready
        once the lock names it and its socket file answers."""
        first = 100 + os.getpid() % 400
        for display in range(first, first + 40):
            lock, path = "/tmp/.X%d-lock" % display, "/tmp/.X11-unix/X%d" % display
            if os.path.exists(lock):
                continue
            server = self.start(["Xvfb", ":%d" % display, "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp"])
            deadline = time.monotonic() + 30
            while server.poll() is None and time.monotonic() < deadline:
                try:
                    with open(lock) as f, socket.socket(socket.AF_UNIX) as probe:
                        if int(f.read().strip() or 0) == server.pid:
                            probe.connect(path)
                            return str(display)
                except (OSError, ValueError):
                    pass
                time.sleep(0.05)
            server.kill()
            server.wait()  # the display was taken meanwhile
            self.processes.remove(server)
        raise RuntimeError("no free display for Xvfb")

    def start(self, command, **kwargs):
        kwargs.setdefault("env", getattr(self, "env", None))
        process = subprocess.Popen(command, stdout=kwargs.pop("stdout", subprocess.DEVNULL),
                                   stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            process.terminate()
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        return False

    def keys(self, *keys):
        subprocess.run(["xdotool", "key", "--clearmodifiers", "--delay", "60", *keys],
                       env=self.env, check=True)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--clearmodifiers", "--delay", "40", text],
                       env=self.env, check=True)


class Texts:
    """The texts of one Language.ini section, as the wizard reads them."""

    def __init__(self, section):
        ini = configparser.ConfigParser(interpolation=None, strict=False)
        ini.optionxform = str
        ini.read(os.path.join(BIN, "Language.ini"), encoding="utf-8")
        self.values = ini[section]
        self.title = self["WindowTitle"]

    def __getitem__(self, key):
        return self.values.get(key, "")

    def window(self, heading):
        return self.title + DASH + heading.strip().rstrip(",")

    def page(self, number):
        return self.window(self["Page%d_Heading" % number])


def state_of(obj, state):
    return obj.getState().contains(state)


class Wizard:
    """One run of the wizard on the lab's pc, seen through AT-SPI."""

    def __init__(self, desktop, lab, language):
        self.desktop = desktop
        self.process = subprocess.Popen(
            lab.command("pc", WIZARD, "--interface", PC, "--language", language),
            cwd=BIN, env=desktop.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            text=True, errors="replace")
        # Read as it comes: a full pipe would stop the wizard at its next warning.
        self.errors = []
        self.reader = threading.Thread(target=lambda: self.errors.extend(self.process.stderr),
                                       daemon=True)
        self.reader.start()
        self.app = wait_until("the wizard on the accessibility bus", self.find_app, 30)

    def find_app(self):
        desktop = atspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.process.pid:
                app.set_cache_mask(Atspi.Cache.NONE)  # every look is a fresh one
                return app
        return None

    def windows(self):
        return [self.app.getChildAtIndex(i) for i in range(self.app.childCount)]

    def active(self, role, name):
        """The active, showing window of `role` named `name` (None when there is none)."""
        for window in self.windows():
            if (window.getRole() == role and window.name == name
                    and state_of(window, atspi.STATE_SHOWING)
                    and state_of(window, atspi.STATE_ACTIVE)):
                return window
        return None

    def wait(self, role, name, timeout=20.0):
        return wait_until("the %s %r" % (ROLE_WORDS.get(role, "window"), name),
                          lambda: self.active(role, name), timeout)

    def page(self, texts, number, timeout=20.0):
        return self.wait(atspi.ROLE_FRAME, texts.page(number), timeout)

    def focused(self):
        """The object that has the keyboard focus."""
        def search(obj):
            if state_of(obj, atspi.STATE_FOCUSED) and obj.getRole() != atspi.ROLE_PANEL:
                return obj
            for i in range(obj.childCount):
                child = obj.getChildAtIndex(i)
                if child is not None and state_of(child, atspi.STATE_SHOWING):
                    found = search(child)
                    if found is not None:
                        return found
            return None
        for window in self.windows():
            if state_of(window, atspi.STATE_ACTIVE):
                return search(window)
        return None

    def wait_focus(self, role, name):
        def probe():
            obj = self.focused()
            return obj is not None and obj.getRole() == role and obj.name == name
        wait_until("the focus on %s %r" % (ROLE_WORDS.get(role, "control"), name), probe)

    def ended(self, timeout=15):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            return False
        return True

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.ended(5)

    def standard_error(self):
        """What the wizard wrote to its standard error (once it has ended), less the toolkit's
        complaints about a screen reader slow to answer a key event."""
        self.reader.join(5)
        return "".join(line for line in self.errors if "keyEventError" not in line
                       and "notifyKeyboardListenerCallback" not in line)


# ---- What a screen reader meets ------------------------------------------------------------

# The captions of the buttons (Language.ini keys).
BUTTON_KEYS = ("ClickHerePanel", "SetupPanel", "UserguidePanel", "ExitPanel", "NextPanel",
               "YesPanel", "NoPanel", "BackPanel", "RegPanel", "EnterManuallyLabel",
               "WhereBPSPanel", "EnterPanel", "ContinuePanel", "OKPanel")
FIELDS = ("text", "password text", "entry", "list", "table", "radio button", "check box",
          "spin button", "list item")
EMPTY_BOXES = ("filler", "panel", "label")
# Pictures at least this big carry words (the page and dialog artwork); smaller ones are
# decorative (an hourglass, a button's face, a message box's icon).
WORDS_PICTURE = (200, 150)


def labels_of(obj):
    names = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == atspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return [n for n in names if n]


def showing_descendants(obj):
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is None or not state_of(child, atspi.STATE_SHOWING):
            continue
        yield child
        if child.getRole() != atspi.ROLE_COMBO_BOX:
            yield from showing_descendants(child)


def any_showing_below(obj):
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None and (state_of(child, atspi.STATE_SHOWING) or any_showing_below(child)):
            return True
    return False


def audit(window, where, texts, captions=()):
    """Checks one window as a screen reader meets it; the number of objects looked at.
    `captions`: the captions of the values that the window's labels show."""
    check(bool(window.name), "%s: the window has no name" % where)
    buttons = {texts[key] for key in BUTTON_KEYS}
    count = 0
    for obj in showing_descendants(window):
        count += 1
        role, name = obj.getRoleName(), obj.name
        what = "%s: %s %r" % (where, role, name)
        if role != "push button" and name in buttons:
            check(False, what + " is a button that is no push button")
        elif role == "label" and captions and name:
            check(any(name == c or name.startswith(c + ": ") for c in captions),
                  what + " is a value without its caption")
        elif role == "push button":
            check(bool(name), what + " has no name")
            try:
                action = obj.queryAction()
                actions = [action.getName(i) for i in range(action.nActions)]
            except NotImplementedError:
                actions = []
            check("Press" in actions, "%s has no press action (%s)" % (what, actions))
        elif role == "combo box":
            check(bool(name), what + " has no name")
            check(bool(labels_of(obj)), what + " has no caption as its label")
            check(not any_showing_below(obj), what + " is closed but shows items")
        elif role in FIELDS:
            check(bool(name), what + " has no name")
        elif role == "image":
            extents = obj.queryComponent().getExtents(atspi.DESKTOP_COORDS)
            if extents.width >= WORDS_PICTURE[0] and extents.height >= WORDS_PICTURE[1]:
                check(bool(name), "%s: a picture of %dx%d (with words) has no name"
                      % (where, extents.width, extents.height))
        elif not name:
            check(role in EMPTY_BOXES and not state_of(obj, atspi.STATE_FOCUSABLE),
                  what + " has no name")
    return count


# ---- The roads ---------------------------------------------------------------------------


STATUS_CAPTIONS = ["Label_One_Or_More_Wireless_%s_Name" % item for item in
                   ("Domain", "Firmware", "MAC", "IP", "SSID", "Channel", "WEP",
                    "Adapter")]
CONFIRM_CAPTIONS = ["New%sLabel_Name" % item for item in
                    ("Name", "Password", "IPMode", "IP", "Netmask", "Gateway", "SSID", "Channel",
                     "NetMode", "Wep", "Key")] + ["NoteKeyLabel_Name"]


def look(wizard, window, where, captions=()):
    if MODE == "screen-reader":
        texts = wizard.texts
        log("%-44s %d objects" % (where, audit(window, where, texts,
                                                [texts[k] for k in captions])))


def x_window_shows_title_and_icon(desktop, texts, where):
    """The active X window's title is the product's name, and it carries an icon."""
    window = subprocess.run(["xdotool", "getactivewindow"], env=desktop.env,
                            capture_output=True, text=True).stdout.strip()
    title = subprocess.run(["xdotool", "getwindowname", window], env=desktop.env,
                           capture_output=True, text=True).stdout.strip()
    check.equal(title, texts.title, "%s: the window's title" % where)
    icon = subprocess.run(["xprop", "-id", window, "_NET_WM_ICON"], env=desktop.env,
                          capture_output=True, text=True).stdout
    check("_NET_WM_ICON(CARDINAL)" in icon, "%s: the window carries no icon" % where)


def walk(desktop, lab, emulator, language, section, choose_static):
    """The road from the welcome page to the end, by keys; looked at on the way in the
    screen-reader mode. `choose_static`: the keyboard road's typing on pages 7 and 9."""
    texts = Texts(section)
    reader = MODE == "screen-reader"
    wizard = Wizard(desktop, lab, language)
    wizard.texts = texts
    try:
        look(wizard, wizard.page(texts, 1, 30), "%s page 1" % language)
        if reader:
            x_window_shows_title_and_icon(desktop, texts, "%s page 1" % language)
        for page in (2, 3, 4, 5):
            desktop.keys("Return")  # Click Here to Start, then Next
            look(wizard, wizard.page(texts, page), "%s page %d" % (language, page))

        if reader:
            # A search nobody answers: the search dialog runs its course, then the failure.
            os.kill(emulator.process.pid, signal.SIGSTOP)
            try:
                desktop.keys("Return")
                look(wizard, wizard.wait(atspi.ROLE_DIALOG, texts.window(texts["Label1"])),
                     "%s search dialog" % language)
                fail = wizard.wait(atspi.ROLE_DIALOG, texts.window(texts["SearchFailForm_Heading"]))
                look(wizard, fail, "%s search failure" % language)
            finally:
                os.kill(emulator.process.pid, signal.SIGCONT)
            desktop.keys("Return")  # Continue: back to the welcome page
            wizard.page(texts, 1)
            for page in (2, 3, 4, 5):
                desktop.keys("Return")
                wizard.page(texts, page)

        desktop.keys("Return")  # the search
        look(wizard, wizard.page(texts, 6, 30), "%s page 6" % language, STATUS_CAPTIONS)
        desktop.keys("Return")  # Return in the list: Yes
        login = texts.window(texts["LoginForm_Heading"])
        look(wizard, wizard.wait(atspi.ROLE_DIALOG, login), "%s password dialog" % language)
        if reader:
            desktop.type("wrong")
            desktop.keys("Return")
            look(wizard, wizard.wait(atspi.ROLE_ALERT, texts.title), "%s message box" % language)
            x_window_shows_title_and_icon(desktop, texts, "%s message box" % language)
            desktop.keys("Escape")
            wizard.wait(atspi.ROLE_DIALOG, login)
            desktop.keys("ctrl+a")
        desktop.type(DEVICE_PASSWORD)
        desktop.keys("Return")
        look(wizard, wizard.page(texts, 7), "%s page 7" % language)

        if choose_static:
            wizard.wait_focus(atspi.ROLE_TEXT, texts["DeviceNameEdit_Name"])
            desktop.keys("ctrl+a")
            desktop.type(TYPED["name"])
            desktop.keys("Tab")
            desktop.type(TYPED["password"])
            desktop.keys("Tab", "Down")  # IP mode: static
            for field in ("ip", "netmask", "gateway"):
                desktop.keys("Tab")  # a field reached by Tab has its text selected
                desktop.type(TYPED[field])
        desktop.keys("Return")  # Next, after the page's checks
        look(wizard, wizard.page(texts, 8), "%s page 8" % language)

        if reader:
            desktop.keys("Tab")  # from Next round to the help link
            wizard.wait_focus(atspi.ROLE_PUSH_BUTTON, texts["WhereBPSPanel"])
            desktop.keys("Return")
            for step in (1, 2, 3):
                intro = texts.window(texts["BPSImage%d_Heading" % step])
                look(wizard, wizard.wait(atspi.ROLE_DIALOG, intro),
                     "%s pairing introduction %d" % (language, step))
                desktop.keys("Return" if step < 3 else "Escape")
            wizard.page(texts, 8)
            desktop.keys("shift+Tab")  # the focus is back on the link: round to Next
            wizard.wait_focus(atspi.ROLE_PUSH_BUTTON, texts["NextPanel"])
        desktop.keys("Return")  # the pairing check: the device does not manage its wireless
        look(wizard, wizard.page(texts, 9, 30), "%s page 9" % language)

        if choose_static:
            wizard.wait_focus(atspi.ROLE_TEXT, texts["SSIDEdit_Name"])
            desktop.keys("ctrl+a")
            desktop.type(TYPED["ssid"])
            desktop.keys("Tab", *["Down"] * 10)  # channel 1 to 11
            desktop.keys("Tab", "Down")  # mixed to G-only
        desktop.keys("Return")
        look(wizard, wizard.page(texts, 10), "%s page 10" % language)

        if reader:
            # The arrows walk the levels; RADIUS brings its note, Escape closes it, and the
            # arrows back choose each level they reach.
            desktop.keys("Right", "Right", "Right", "space")
            note = texts.window(texts["WPARadiusNoteForm_Heading"])
            look(wizard, wizard.wait(atspi.ROLE_DIALOG, note), "%s RADIUS note" % language)
            desktop.keys("Escape")
            wizard.page(texts, 10)
            desktop.keys("Left", "Left")  # WEP
            wizard.wait_focus(atspi.ROLE_RADIO_BUTTON, texts["RadioBtnWEP_Name"])
            desktop.keys("Return")
            look(wizard, wizard.page(texts, 11), "%s page 11" % language)
            desktop.keys("Escape")  # Back
            wizard.page(texts, 10)
            desktop.keys("Right")  # the pre-shared key
        else:
            desktop.keys("Right", "Right", "space")  # the pre-shared key
        wizard.wait_focus(atspi.ROLE_RADIO_BUTTON, texts["RadioBtnPSK_Name"])
        desktop.keys("Return")
        look(wizard, wizard.page(texts, 12), "%s page 12" % language)

        desktop.keys("Down")  # WPA Personal to WPA2 Personal
        wizard.wait_focus(atspi.ROLE_COMBO_BOX, texts["WPA2_Personal"])
        desktop.keys("Tab")  # the cipher is fixed for WPA2: on to the key
        wizard.wait_focus(atspi.ROLE_TEXT, texts["PSKEdit_Name"])
        desktop.type(TYPED["key"])
        desktop.keys("Return")
        look(wizard, wizard.page(texts, 18), "%s page 18" % language, CONFIRM_CAPTIONS)

        desktop.keys("Return")  # Yes: the configure dialog, then the congratulation page
        look(wizard, wizard.wait(atspi.ROLE_DIALOG, texts.window(texts["Label3"])),
             "%s configure dialog" % language)
        look(wizard, wizard.page(texts, 19, 60), "%s page 19" % language)
        desktop.keys("Return")  # Exit
        check(wizard.ended(), "%s: Return on the congratulation page did not end the wizard"
              % language)
    except Timeout as timeout:
        check(False, "%s: %s" % (language, timeout))
        focused = None
        try:
            focused = wizard.focused()
            names = [(w.getRoleName(), w.name) for w in wizard.windows()
                     if state_of(w, atspi.STATE_SHOWING)]
        except Exception:
            names = []
        print("  showing windows:", names, file=sys.stderr)
        if focused is not None:
            print("  focus:", focused.getRoleName(), repr(focused.name), file=sys.stderr)
    finally:
        wizard.stop()
        err = wizard.standard_error()
        if err.strip():
            print("--- wizard's standard error\n" + err, file=sys.stderr)


# ---- What Orca speaks --------------------------------------------------------------------

# Orca runs from this program rather than from its own launcher: the launcher refuses to start
# (or, told to replace, kills) while another Orca of the same user runs, and labs run side by
# side. Its debug log is opened line-buffered, so every utterance can be read as it is spoken.
ORCA_MAIN = r"""
import sys
prefs, log = sys.argv[1], sys.argv[2]
sys.argv = sys.argv[:1]
from orca import debug
debug.debugLevel = debug.LEVEL_INFO
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(log, "w", buffering=1)
from orca import orca
manager = orca.getSettingsManager()
manager.activate(prefs, {})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main())
"""
UTTERANCE = re.compile(r"SPEECH OUTPUT: '(.*?)' ?(?:[{\[]|voice=|$)")


class Reader:
    """Orca on the desktop, with speech-dispatcher and espeak-ng writing their sound to a file;
    what Orca speaks, read from its debug log."""

    def __init__(self, desktop, folder):
        self.desktop, self.log, self.lines = desktop, os.path.join(folder, "orca.log"), []
        home = os.path.join(folder, "home")
        config = os.path.join(home, "speech-dispatcher")
        os.makedirs(config)
        os.symlink("/etc/speech-dispatcher/modules", os.path.join(config, "modules"))
        with open(os.path.join(config, "speechd.conf"), "w") as f:
            f.write('LogLevel 1\nLogDir "%s"\nAudioOutputMethod "alsa"\n'
                    'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                    'DefaultModule espeak-ng\nDefaultLanguage "en"\n' % folder)
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write('pcm.!default { type file slave.pcm "null" file "%s" format "raw" }\n'
                    % os.path.join(folder, "speech.raw"))
        socket_path = os.path.join(folder, "speechd.sock")
        env = dict(desktop.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                   SPEECHD_ADDRESS="unix_socket:" + socket_path)
        desktop.start(["speech-dispatcher", "--run-single", "--timeout", "0",
                       "--communication-method", "unix_socket", "--socket-path", socket_path,
                       "--config-dir", config], env=env)
        wait_until("speech-dispatcher's socket", lambda: os.path.exists(socket_path), 30)
        prefs = os.path.join(home, "orca")
        os.makedirs(prefs)
        self.process = desktop.start([sys.executable, "-c", ORCA_MAIN, prefs, self.log], env=env)
        wait_until("Orca's first words", lambda: self.poll() or self.said("Screen reader on"), 60)
        # A word from speech-dispatcher's audio output proves the whole chain speaks.
        wait_until("espeak-ng's sound in the file",
                   lambda: os.path.getsize(os.path.join(folder, "speech.raw")) > 0, 30)

    def poll(self):
        if self.process.poll() is not None:
            raise RuntimeError("Orca ended (%s)" % self.process.returncode)
        return False

    def utterances(self):
        """Everything Orca has spoken so far, in order."""
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except OSError:
            return []
        # SPEECH OUTPUT: 'words' {voice} (or [voices]); a key's name ends in a space.
        return [m.group(1).strip() for m in map(UTTERANCE.search, lines) if m]

    def said(self, words, since=0):
        return any(words in u for u in self.utterances()[since:])

    def mark(self):
        """Where the next key's utterances begin, once Orca has caught up with the keys before
        it: Orca takes a window's deactivation for the user's only within a second of the last
        key it has seen, and a page change is announced through that."""
        return len(self.settle(0, quiet=0.7))

    def settle(self, since, quiet=1.0, timeout=8.0):
        """The utterances since `since` once Orca has been quiet for `quiet` seconds."""
        deadline, count, last = time.monotonic() + timeout, -1, time.monotonic()
        while time.monotonic() < deadline:
            now = len(self.utterances())
            if now != count:
                count, last = now, time.monotonic()
            elif time.monotonic() - last >= quiet:
                break
            time.sleep(0.1)
        return self.utterances()[since:]


def walk_with_orca(desktop, lab, reader):
    """The keyboard road in English with Orca listening; what it spoke, step by step."""
    texts = Texts("English")
    steps = []

    def step(what, since, expect=None, timeout=8.0):
        """Waits until Orca says `expect` (or is quiet); records and returns what it said."""
        if expect is not None:
            try:
                wait_until("Orca to say %r" % expect, lambda: reader.said(expect, since), timeout)
            except Timeout:
                pass
        spoken = reader.settle(since)
        steps.append((what, spoken))
        check(expect is None or any(expect in u for u in spoken),
              "%s: Orca did not say %r (it said %r)" % (what, expect, spoken))
        return spoken

    def heading(number):
        return texts["Page%d_Heading" % number].strip().rstrip(",")

    def no_password(what, spoken, password):
        check(not any(password in u or (len(u.strip()) == 1 and u.strip() in password)
                      for u in spoken),
              "%s: Orca spoke the password's characters: %r" % (what, spoken))

    since = reader.mark()
    wizard = Wizard(desktop, lab, "en")
    try:
        wizard.page(texts, 1, 30)
        step("page 1", since, heading(1))
        for page in (2, 3, 4, 5):
            since = reader.mark()
            desktop.keys("Return")
            wizard.page(texts, page)
            spoken = step("Return: page %d" % page, since, heading(page))
            where = texts["PageStep"].replace("%1", str(page - 1)).replace("%2", "6")
            check(any(where in u for u in spoken), "page %d: %r not spoken" % (page, where))
        since = reader.mark()
        desktop.keys("Return")  # the search
        wizard.page(texts, 6, 30)
        step("Return: the search, page 6", since, heading(6))
        since = reader.mark()
        desktop.keys("Return")
        wizard.wait(atspi.ROLE_DIALOG, texts.window(texts["LoginForm_Heading"]))
        step("Return: the password dialog", since, texts["LoginForm_Heading"].strip())
        since = reader.mark()
        desktop.type(DEVICE_PASSWORD)
        no_password("typing the device password", step("typing the device password", since),
                    DEVICE_PASSWORD)
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 7)
        wizard.wait_focus(atspi.ROLE_TEXT, texts["DeviceNameEdit_Name"])
        spoken = step("Return: page 7", since, heading(7))
        check(any(DEVICES[0]["name"] in u for u in spoken),
              "page 7: the device's name %r not spoken whole" % DEVICES[0]["name"])
        desktop.keys("ctrl+a")
        desktop.type(TYPED["name"])
        since = reader.mark()
        desktop.keys("Tab")
        step("Tab: the device password", since)
        since = reader.mark()
        desktop.type(TYPED["password"])
        no_password("typing the new password", step("typing the new password", since),
                    TYPED["password"])
        since = reader.mark()
        desktop.keys("Tab")
        step("Tab: the IP mode list", since, texts["Automatic_DHCP"].strip())
        since = reader.mark()
        desktop.keys("Down")
        step("Down: the IP mode list", since, texts["StaticIP"].strip())
        for field in ("ip", "netmask", "gateway"):
            since = reader.mark()
            desktop.keys("Tab")
            step("Tab: the %s field" % field, since)
            desktop.type(TYPED[field])
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 8)
        step("Return: page 8", since, heading(8))
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 9, 30)
        wizard.wait_focus(atspi.ROLE_TEXT, texts["SSIDEdit_Name"])
        # Reached after the pairing check's exchange: when that takes more than a second, Orca
        # no longer takes the announcement for the user's doing (recorded, not checked).
        step("Return: page 9", since)
        desktop.keys("ctrl+a")
        desktop.type(TYPED["ssid"])
        since = reader.mark()
        desktop.keys("Tab")
        step("Tab: the channel list", since, texts["ChannelComboBox_Name"].strip())
        since = reader.mark()
        desktop.keys(*["Down"] * 10)
        step("Down x10: the channel list", since, "11")
        since = reader.mark()
        desktop.keys("Tab", "Down")
        step("Tab, Down: the network mode list", since)
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 10)
        step("Return: page 10", since, heading(10))
        since = reader.mark()
        desktop.keys("Right", "Right", "space")
        wizard.wait_focus(atspi.ROLE_RADIO_BUTTON, texts["RadioBtnPSK_Name"])
        step("Right, Right, space: the pre-shared key", since)
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 12)
        step("Return: page 12", since, heading(12))
        since = reader.mark()
        desktop.keys("Down")
        wizard.wait_focus(atspi.ROLE_COMBO_BOX, texts["WPA2_Personal"])
        step("Down: the security list", since, texts["WPA2_Personal"])
        since = reader.mark()
        desktop.keys("Tab")
        wizard.wait_focus(atspi.ROLE_TEXT, texts["PSKEdit_Name"])
        step("Tab: the key", since)
        since = reader.mark()
        desktop.type(TYPED["key"])
        step("typing the key", since)
        since = reader.mark()
        desktop.keys("Return")
        wizard.page(texts, 18)
        spoken = step("Return: page 18", since, heading(18))
        check(any(TYPED["ssid"] in u for u in spoken) and any(TYPED["name"] in u for u in spoken),
              "page 18: the summary (%r, %r) not spoken" % (TYPED["name"], TYPED["ssid"]))
        since = reader.mark()
        desktop.keys("Return")
        wizard.wait(atspi.ROLE_DIALOG, texts.window(texts["Label3"]))
        wizard.page(texts, 19, 60)
        step("Return: the configure dialog, page 19", since, "percent", timeout=2.0)
        desktop.keys("Return")
        check(wizard.ended(), "Return on the congratulation page did not end the wizard")
    except Timeout as timeout:
        check(False, "orca road: %s" % timeout)
    finally:
        wizard.stop()
        err = wizard.standard_error()
        if err.strip():
            print("--- wizard's standard error\n" + err, file=sys.stderr)
        if os.environ.get("TRV81K_ORCA_LOG"):
            shutil.copy(reader.log, os.environ["TRV81K_ORCA_LOG"])
        if "--speech" in sys.argv or check.failures:
            for what, spoken in steps:
                print("%-44s %s" % (what, " | ".join(spoken)))


def main():
    global atspi, Atspi
    tools = ["Xvfb", "openbox", "xdotool", "dbus-daemon"]
    if MODE == "orca":
        tools += ["speech-dispatcher", "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"]
    for tool in tools:
        if shutil.which(tool) is None:
            print("wizard_desktop_lab: %s is missing (scripts/setup installs it)" % tool,
                  file=sys.stderr)
            return 1
    folder = tempfile.mkdtemp(prefix="trv81k-desktop-")
    try:
        with Lab(NETLAB, "desk", aps=1) as lab, Desktop(folder) as desktop:
            import pyatspi
            from gi.repository import Atspi as library
            atspi, Atspi = pyatspi, library
            ROLE_WORDS.update({pyatspi.ROLE_FRAME: "window", pyatspi.ROLE_DIALOG: "dialog",
                               pyatspi.ROLE_ALERT: "message box",
                               pyatspi.ROLE_PUSH_BUTTON: "button", pyatspi.ROLE_TEXT: "field",
                               pyatspi.ROLE_RADIO_BUTTON: "radio button",
                               pyatspi.ROLE_COMBO_BOX: "list"})
            def start_emulator():
                state = os.path.join(folder, "state.json")
                if os.path.exists(state):
                    os.remove(state)  # the devices as CONFIG gives them
                started = Emulator(lab, "ap1", EMULATOR, "--interface", "10.81.0.11",
                                   "--config", CONFIG, "--state", state)
                check.equal(len(started.wait_started(len(DEVICES))), len(DEVICES),
                            "start-up lines of the emulator")
                return started

            emulator = start_emulator()
            try:
                if MODE == "orca":
                    reader = Reader(desktop, folder)
                    walk_with_orca(desktop, lab, reader)
                    if check.failures:
                        # Orca's timing heuristics meet a loaded machine now and then: the road
                        # is walked once more, and a fault that shows again fails.
                        print("the road is walked again after: %s" % check.failures, flush=True)
                        check.failures.clear()
                        emulator.stop()  # the first walk wrote its settings
                        emulator = start_emulator()
                        walk_with_orca(desktop, lab, reader)
                elif MODE == "keyboard":
                    walk(desktop, lab, emulator, "en", "English", True)
                    device = next((d for d in read_json(os.path.join(folder, "state.json"))
                                   ["devices"] if d["mac"] == DEVICE_MAC), {})
                    check.fields(device, TYPED, "the emulator's state after the keyboard road")
                else:
                    for language, section in (("en", "English"), ("de", "German"),
                                              ("fr", "French")):
                        walk(desktop, lab, emulator, language, section, False)
            finally:
                emulator.stop()
    except Skip:
        return SKIP
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return check.result()


if __name__ == "__main__":
    sys.exit(main())

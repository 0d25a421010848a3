#!/usr/bin/env python3
"""Lays out the machine folders of the scenario suite (scenarios/suite/NAME).

Each scenario is a small dictionary: the machine.json fields, the registry text and the
files of each drive. Run it, then tools/record-scenario on a new scenario and read the
transcript by hand before committing expected.jsonl."""
import json, os, shutil, subprocess, sys, tempfile

SUITE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scenarios", "suite")
PROGRAM = b"MZ stub program\r\n"
UNINSTALL = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanel"
UNINSTALL_USER = r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanel"
OBSOLETE = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Orvanel"


def compressed(data):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "ORV.EXE")
        with open(path, "wb") as f:
            f.write(data)
        subprocess.run(["mscompress", path], check=True)
        with open(path + "_", "rb") as f:
            return f.read()


def medium(setup="plain", prefix=""):
    files = {prefix + "Install.Msg": b"install", prefix + "Common.801": b"common",
             prefix + "LangEng.801": b"lang", prefix + "Orv.JCF": b"jaws config"}
    if setup in ("plain", "both"):
        files[prefix + "Orv.Exe"] = PROGRAM
    if setup in ("compressed", "both"):
        files[prefix + "Orv.Ex_"] = compressed(PROGRAM)
    return files


def reg_value(value):
    if isinstance(value, bytes):  # an expandable string
        return "hex(2):" + ",".join("%02x" % byte for byte in value)
    if isinstance(value, int):
        return "dword:%08x" % value
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def registry(keys):
    text = "REGEDIT4\r\n"
    for key, values in keys.items():
        text += "\r\n[" + key + "]\r\n"
        for name, value in values.items():
            text += ("@" if name == "" else '"' + name + '"') + "=" + reg_value(value) + "\r\n"
    return text


def installed(name="Orvanel 9.1", uninstall="C:\\ORV\\OrvDel.Exe a b C:\\ORV\\DATA\\", key=UNINSTALL):
    return {key: {"DisplayName": name, "UninstallString": uninstall}}


def jaws_keys(command=r"C:\JAWS\jconfig.exe /q"):
    classes = r"HKEY_LOCAL_MACHINE\Software\Classes"
    return {classes + r"\.jcf": {"": "JAWS.Configuration"},
            classes + r"\JAWS.Configuration\shell\open\command": {"": command}}


INSTALLED_PROGRAM = {"ORV/Orv.Exe": PROGRAM, "ORV/DATA/readme.txt": b"data"}
T_OLD, T_MEDIUM, T_NEW = "2001-05-04 10:00:00", "2002-06-01 12:00:00", "2003-01-01 08:00:00"

S = {}

# The decision table of the installed-version check, one row each.
S["not-installed-complete"] = dict(cd=medium())
S["not-installed-incomplete"] = dict(cd={"Orv.Exe": PROGRAM})
S["too-old-complete"] = dict(cd=medium(), reg=installed("Orvanel 8"), c=INSTALLED_PROGRAM)
S["too-old-incomplete"] = dict(cd={"MODA.801": b"m"}, reg=installed("Orvanel 8.02"),
                               c=INSTALLED_PROGRAM)
S["installed-complete"] = dict(cd=medium(), reg=installed(), c=INSTALLED_PROGRAM)
S["installed-modules"] = dict(
    cd={"MODA.801": b"m", "Common.801": b"c", "install.801": b"i", "LangEng.801": b"l",
        "betaeng.801": b"b", "readme.txt": b"r", "xcommon.801": b"x", "EXTRA101.ZIP": b"e",
        "COMMONX.101": b"c", ".hidden801": b"h", "Old801/file.txt": b"d"},
    reg=installed(), c=INSTALLED_PROGRAM)
# A module is a name holding "801" or "101" that is not the install set's: install.801 and
# betaeng.801 exactly, common* and lang* as prefixes, in any case; dotted names are none.
S["modules-names"] = dict(
    cd={n: b"m" for n in ("8-01.txt", "INSTALL.801", "install.8011", "BetaEng.801", "lang101", ".801",
                          "..801", "801", "la801", "comm801", "\u00c4801")},
    reg=installed(), c=INSTALLED_PROGRAM,
    after={"c/ORV/DATA/AutoLoad.Lst": b"D:\\801\r\nD:\\comm801\r\nD:\\install.8011\r\nD:\\la801\r\n"
                                      b"D:\\\xc4801\r\nSetup 2.0\r\n"})
S["installed-missing-complete"] = dict(cd=medium(), reg=installed())
S["installed-missing-incomplete"] = dict(cd={"MODA.801": b"m"}, reg=installed())
S["version-lower-bound"] = dict(cd={"MODA.801": b"m"}, reg=installed("Orvanel 7"),
                                c=INSTALLED_PROGRAM)
S["version-eleven-digits"] = dict(cd={"MODA.801": b"m"},
                                  reg=installed("Orvanel 8 build 20240101123"), c=INSTALLED_PROGRAM)
S["installed-per-user"] = dict(cd={"MODA.801": b"m"},
                               reg=installed(key=UNINSTALL_USER), c=INSTALLED_PROGRAM)
S["registry-wrong-type"] = dict(
    cd=medium(), reg={UNINSTALL_USER: {"DisplayName": 9}})

# Module auto-install variants.
S["modules-none"] = dict(cd={"readme.txt": b"r"}, reg=installed(),
                         c=dict(INSTALLED_PROGRAM, **{"ORV/DATA/AutoLoad.Lst": b"old\r\n"}))
S["modules-datadir-no-backslash"] = dict(cd={"MODA.801": b"m"},
                                         reg=installed(uninstall=r"C:\ORV\OrvDel.Exe a b C:\ORV\DATA"),
                                         c=INSTALLED_PROGRAM)
S["modules-datadir-missing"] = dict(cd={"MODA.801": b"m"},
                                    reg=installed(uninstall=r"C:\ORV\OrvDel.Exe a b C:\NODATA"),
                                    c=INSTALLED_PROGRAM)
S["modules-datadir-readonly"] = dict(cd={"MODA.801": b"m", "DATA/x.txt": b"x"},
                                     reg=installed(uninstall=r"C:\ORV\OrvDel.Exe a b D:\DATA"),
                                     c=INSTALLED_PROGRAM)
S["modules-list-readonly"] = dict(cd={"MODA.801": b"m"}, reg=installed(),
                                  c=dict(INSTALLED_PROGRAM, **{"ORV/DATA/AutoLoad.Lst": b"old\r\n"}),
                                  json={"attributes": {"C:\\ORV\\DATA\\AutoLoad.Lst": "R"}})
S["modules-program-files"] = dict(
    cd={"MODA.801": b"m"},
    reg=installed(uninstall="C:\\Program Files\\ORV\\OrvDel.Exe a b C:\\PROGRA~1\\ORV\\DATA\\"),
    c={"Program Files/ORV/Orv.Exe": PROGRAM, "Program Files/ORV/DATA/x.txt": b"x",
       "Program.exe": PROGRAM})
# A quoted uninstaller path keeps its quote in the installation folder.
S["modules-quoted-uninstall"] = dict(
    cd={"MODA.801": b"m"},
    reg=installed(uninstall='"C:\\Program Files\\ORV\\OrvDel.Exe" a b "C:\\Program Files\\ORV\\DATA"'),
    c={"Program Files/ORV/Orv.Exe": PROGRAM})

# The module list goes to the data folder only when a probe file can be written there; no
# probe leaves a file or brings up the system's box for a drive without a medium.
DRIVES = {"drives": {"A": {"type": "removable", "path": None}, "C": {"type": "fixed", "path": "c"},
                     "D": {"type": "cdrom", "path": "cd"}, "E": {"type": "cdrom", "path": None},
                     "N": {"type": "remote", "path": "net"}}}
for name, data_dir in (("network", "N:\\"), ("no-medium-removable", "A:\\"),
                       ("no-medium-cdrom", "E:\\"), ("unc", "\\\\server\\share"),
                       # Relative: the first character names the drive tested, the probe
                       # goes to the current folder.
                       ("relative-on-a-drive", "dir"), ("relative-no-drive", "xyz")):
    S["modules-datadir-" + name] = dict(
        cd={"MODA.801": b"m"}, reg=installed(uninstall="C:\\ORV\\OrvDel.Exe a b " + data_dir),
        c=dict(INSTALLED_PROGRAM, **{"dir/.keep": b"", "xyz/.keep": b""}),
        folders={"net": {".keep": b""}}, json=DRIVES)
S["modules-datadir-removable"] = dict(
    cd={"MODA.801": b"m"}, reg=installed(uninstall="C:\\ORV\\OrvDel.Exe a b A:\\"), c=INSTALLED_PROGRAM,
    folders={"a": {".keep": b""}, "net": {".keep": b""}},
    json={"drives": dict(DRIVES["drives"], A={"type": "removable", "path": "a"})})
# The data folder is the fourth word of the uninstall text: a folder with a blank in its name
# is cut there (C:\Program), and the list goes to the installation folder.
S["modules-datadir-cut-at-a-blank"] = dict(
    cd={"MODA.801": b"m"}, c=dict(INSTALLED_PROGRAM, **{"Program Files/DATA/x": b"x"}),
    reg=installed(uninstall="C:\\ORV\\OrvDel.Exe a b C:\\Program Files\\DATA", key=UNINSTALL_USER),
    json={"user": {"admin": False}, "protected": ["C:\\Program Files"]})
S["modules-datadir-leftover-probe"] = dict(
    cd={"MODA.801": b"m"}, reg=installed(), c=dict(INSTALLED_PROGRAM, **{"ORV/DATA/$$$.$$$": b"older"}),
    json={"attributes": {"C:\\ORV\\DATA\\$$$.$$$": "R"}})

# The installation folder is the uninstaller's folder when the uninstaller is OrvDel.Exe in any
# case, the data folder the fourth word; relative ones are taken from the current folder.
for name, uninstall, c in (
        ("upper-case", "C:\\P\\ORVDEL.EXE a b D", {"P/Orv.Exe": PROGRAM, "D/.keep": b""}),
        ("other-uninstaller", "C:\\P\\Remove.exe a b C:\\D",
         {"P/Orv.Exe": PROGRAM, "D/.keep": b""}),
        ("no-words", "C:\\P\\OrvDel.Exe", {"P/Orv.Exe": PROGRAM}),
        ("no-folder", "OrvDel.Exe a b C:\\D", {"P/Orv.Exe": PROGRAM, "D/.keep": b""}),
        ("expandable", b"%ProgramFiles%\\P\\OrvDel.Exe a b %ProgramFiles%\\D\0",
         # The program is started by the relative path from its own folder.
         {"%ProgramFiles%/P/Orv.Exe": PROGRAM, "%ProgramFiles%/D/.keep": b"",
          "%ProgramFiles%/P/%ProgramFiles%/P/Orv.Exe": PROGRAM})):
    S["uninstall-" + name] = dict(cd={"MODA.801": b"m"}, c=c, json={"log_dir": "C:\\LOGS\\"},
                                  reg={UNINSTALL_USER: {"DisplayName": "Orvanel 9.1",
                                                        "UninstallString": uninstall}})

# Where the set-up program comes from.
S["setup-compressed"] = dict(cd=medium("compressed"))
S["setup-both"] = dict(cd=medium("both"))
S["setup-orv-win32"] = dict(cd=dict(medium("compressed", "orv/win32/"), **{"README.TXT": b"r"}))
S["setup-damaged"] = dict(cd=dict(medium("compressed"), **{"Orv.Ex_": compressed(PROGRAM)[:20]}))
S["temp-unavailable"] = dict(cd=medium("compressed"), json={"temp": ""})
# A temporary folder named without its backslash gets one.
S["temp-without-backslash"] = dict(cd=medium("compressed"), json={"temp": "C:\\TMP"},
                                   extra_c={"TMP/.keep": b""})

# The automatic start and the installed program's stamp.
for name, installed_time in (("newer", T_NEW), ("equal", T_MEDIUM), ("older", T_OLD)):
    S["autorun-installed-" + name] = dict(
        cd=medium(), reg=installed("Orvanel 7"), c=INSTALLED_PROGRAM,
        json={"run": {"self": "D:\\SETUP.EXE", "args": ["AutoRun"]},
              "times": {"C:\\ORV\\Orv.Exe": installed_time, "D:\\Orv.Exe": T_MEDIUM}})
S["autorun-installed-absent"] = dict(cd=medium(), reg=installed("Orvanel 7"),
                                     json={"run": {"self": "D:\\SETUP.EXE", "args": ["autorun"]}})
S["normal-installed-newer"] = dict(
    cd=medium(), reg=installed("Orvanel 7"), c=INSTALLED_PROGRAM,
    json={"times": {"C:\\ORV\\Orv.Exe": T_NEW, "D:\\Orv.Exe": T_MEDIUM}})
S["autorun-quoted"] = dict(
    cd=medium(), reg=installed("Orvanel 7"), c=INSTALLED_PROGRAM,
    json={"run": {"self": "D:\\SETUP.EXE", "args": ['"autorun"']},
          "times": {"C:\\ORV\\Orv.Exe": T_NEW, "D:\\Orv.Exe": T_MEDIUM}})

# Start failures of the set-up program, one per class of code.
for code in (0, 2, 3, 5, 11, 21, 22):
    S["start-fails-%d" % code] = dict(cd=medium(), json={"exec": {"result": code}})
S["start-fails-2-compressed"] = dict(cd=medium("compressed"), json={"exec": {"result": 2}})
S["start-not-a-program"] = dict(cd=dict(medium(), **{"Orv.Exe": b"not a program"}))

# The screen-reader configuration.
jaws_c = {"JAWS/jconfig.exe": PROGRAM, "JAWS/Settings/enu/x.ini": b"x",
          "JAWS/Settings/deu/Orv.Jcf": b"old", "JAWS/Settings/a.ini": b"a",
          "JAWS/Settings/.old/x.ini": b"x"}
S["jaws-deployed"] = dict(cd=medium(), reg=jaws_keys(), c=jaws_c,
                          json={"log_dir": "C:\\LOGS\\",
                                "times": {"C:\\JAWS\\Settings\\deu\\Orv.Jcf": T_OLD,
                                          "D:\\Orv.JCF": T_MEDIUM}},
                          extra_c={"LOGS/Startup.Log": b""})
S["jaws-current"] = dict(cd=medium(), reg=jaws_keys(),
                         c={"JAWS/Settings/enu/Orv.Jcf": b"jaws config"},
                         json={"log_dir": "C:\\LOGS\\",
                               "times": {"C:\\JAWS\\Settings\\enu\\Orv.Jcf": T_NEW,
                                         "D:\\Orv.JCF": T_MEDIUM}})
S["jaws-not-installed"] = dict(cd=medium(), json={"log_dir": "C:\\LOGS\\"}, c={"LOGS/x": b""})
# The log folder is a plain prefix of the log file's name: no backslash is added.
S["log-dir-plain-prefix"] = dict(
    cd=medium(), json={"log_dir": "C:\\LOGS"}, c={"LOGS/x": b"", "LOGSStartup.Log": b"old\r\n"},
    after={"c/LOGSStartup.Log": b"old\r\n" + b"Registry Open Failed for Key: DisplayName\r\n" * 2 +
           b"Registry Open Failed for Key: UninstallString\r\n" * 2 + b"  JAWS: Not Installed\r\n"})
S["jaws-quoted-command"] = dict(cd=medium(), reg=jaws_keys('"C:\\JAWS\\jconfig.exe" /q'),
                                c=jaws_c, json={"log_dir": "C:\\LOGS\\"})
S["jaws-wrong-type"] = dict(cd=medium(), reg={r"HKEY_LOCAL_MACHINE\Software\Classes\.jcf": {"": 7}},
                            json={"log_dir": "C:\\LOGS\\"}, c={"LOGS/x": b""})

# Users, modes, faults.
S["not-administrator"] = dict(
    cd=medium(), reg=dict(installed("Orvanel 8"), **jaws_keys(), **{OBSOLETE: {"x": "y"}}),
    c=jaws_c, json={"user": {"admin": False}})
# A run in place writes the registry back without the deleted keys; the others stay as
# they were, an expandable string under a Latin-1 name included.
S["obsolete-key-deleted"] = dict(
    cd=medium(), reg={OBSOLETE + r"\A\B": {"x": "y"}, OBSOLETE + r"\C": {"z": 1},
                      r"HKEY_CURRENT_USER\Software\Kept": {"caf\xe9": b"A\0"}},
    after={"registry.reg": (registry(dict(
        {"HKEY_LOCAL_MACHINE\\Software" + key: {} for key in (
            "", r"\Classes", r"\Microsoft", r"\Microsoft\Windows", r"\Microsoft\Windows\CurrentVersion")},
        **{r"HKEY_CURRENT_USER\Software": {}, r"HKEY_CURRENT_USER\Software\Kept": {"caf\xe9": b"A\0"}})) +
        "\r\n").encode("cp1252")})
# Settings that point nowhere are named on standard error, and the run goes on: the
# temporary folder and the launcher's own path on drives the machine lacks, the attributes
# of a file that is not there.
S["description-points-nowhere"] = dict(cd=medium(), c={"keep.txt": b"kept"}, json={
    "temp": "T:\\TEMP\\", "run": {"self": "E:\\SETUP.EXE"},
    "attributes": {"C:\\keep.txt": "H", "C:\\gone.txt": "R"}})
S["silent"] = dict(cd=medium(), json={"run": {"self": "D:\\OrvDel.Exe"}},
                   reg={OBSOLETE: {"x": "y"}})
S["chdir-fails"] = dict(cd=medium(), json={"faults": [{"call": "SetCurrentDirectoryA",
                                                        "nth": 1, "error": 5}]})
S["administrator-probe-fails"] = dict(cd=medium(), json={"faults": [
    {"call": "GetTokenInformation", "nth": 1, "error": 5}]})
S["windows-9x"] = dict(cd=medium(), json={"os": {"major": 4, "minor": 10, "build": 1998,
                                                 "platform": 1}})

# 64-bit Windows: the launcher, a 32-bit program, reads the 32-bit registry view, where a
# 32-bit installer registers the product (below Wow6432Node); a 64-bit installer's entry is
# not there.
WIN64 = {"os": {"major": 6, "minor": 1, "build": 7601, "platform": 2, "bits": 64}}
WOW64_UNINSTALL = UNINSTALL.replace("Software", "Software\\Wow6432Node", 1)
WOW64_OBSOLETE = OBSOLETE.replace("Software", "Software\\Wow6432Node", 1)
S["win64-installer-32bit"] = dict(cd={"MODA.801": b"m"}, json=WIN64, c=INSTALLED_PROGRAM,
                                  reg=dict(installed(key=WOW64_UNINSTALL),
                                           **{WOW64_OBSOLETE: {"x": "y"}}))
S["win64-installer-64bit-only"] = dict(cd={"MODA.801": b"m"}, json=WIN64, c=INSTALLED_PROGRAM,
                                       reg=dict(installed(), **{OBSOLETE: {"x": "y"}}))
S["win64-installer-both"] = dict(
    cd={"MODA.801": b"m"}, json=WIN64,
    c={"ORV/Orv.Exe": PROGRAM, "ORV/DATA/readme.txt": b"data", "ORV64/Orv.Exe": PROGRAM,
       "ORV64/DATA/readme.txt": b"data"},
    reg=dict(installed(uninstall="C:\\ORV64\\OrvDel.Exe a b C:\\ORV64\\DATA\\"),
             **installed(key=WOW64_UNINSTALL), **{OBSOLETE: {"x": "y"}, WOW64_OBSOLETE: {"x": "y"}}))


# Hostile uninstall entries: ".." above a root stays at the root, 100,000-character
# folders and runs of blanks or quotes; nothing starts that is not on the drive.
HOSTILE_LONG = "a" * 100000
LIST = b"D:\\MODA.801\r\nSetup 2.0\r\n"
for name, uninstall, c, list_at in (
        ("dotdot", "C:\\..\\..\\..\\..\\etc\\OrvDel.Exe a b C:\\..\\..\\x", {"etc/Orv.Exe": PROGRAM},
         "etc"),
        ("dotdot-to-nothing", "C:\\..\\..\\..\\..\\etc\\OrvDel.Exe a b C:\\..\\..\\x", {}, None),
        ("up-and-back", "C:\\ORV\\OrvDel.Exe a b C:\\..\\..\\ORV\\..\\DATA\\",
         {"ORV/Orv.Exe": PROGRAM, "DATA/keep": b"k"}, "DATA"),
        ("long-folder", "C:\\" + HOSTILE_LONG + "\\OrvDel.Exe a b C:\\D", {}, None),
        ("long-data-folder", "C:\\ORV\\OrvDel.Exe a b C:\\" + HOSTILE_LONG, {"ORV/Orv.Exe": PROGRAM},
         "ORV"),
        ("long-blanks", "C:\\ORV\\OrvDel.Exe" + " " * 100000 + "a b C:\\ORV\\",
         {"ORV/Orv.Exe": PROGRAM}, "ORV"),
        ("long-quotes", "C:\\ORV\\OrvDel.Exe " + '"' * 100000, {"ORV/Orv.Exe": PROGRAM}, "ORV")):
    S["hostile-uninstall-" + name] = dict(cd={"MODA.801": b"m"}, reg=installed(uninstall=uninstall),
                                          c=c, after={"c/%s/AutoLoad.Lst" % list_at: LIST} if list_at else {})
# Reserved device names are ordinary names on a medium, and a 254-character name is listed.
S["hostile-medium-names"] = dict(
    cd={"CON.801": b"m", "nul.101": b"m", "M" + "x" * 250 + ".801": b"m"},
    reg=installed(uninstall="C:\\ORV\\OrvDel.Exe a b C:\\ORV\\"), c={"ORV/Orv.Exe": PROGRAM},
    after={"c/ORV/AutoLoad.Lst": b"D:\\CON.801\r\nD:\\M" + b"x" * 250 + b".801\r\nD:\\nul.101\r\nSetup 2.0\r\n"})
# The obsolete tree goes whole, deep and wide, long and odd names included; its per-user copy
# and a key whose name only begins like it stay.
deep = {OBSOLETE: {"v": "x"}}
for i in range(40):
    deep[OBSOLETE + "".join("\\k%d" % j for j in range(i + 1))] = {"v": 1}
for i in range(20):
    deep[OBSOLETE + "\\" + "n" * 250 + " .\xe9" + str(i)] = {}
deep[OBSOLETE + "X"] = {}
deep[OBSOLETE.replace("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER") + "\\k0"] = {}
S["obsolete-key-tree"] = dict(cd=medium(), reg=deep)

# The escaped-error box cuts the module name to 63 characters; each failing step has its own.
for name, call, nth in (("sid", "AllocateAndInitializeSid", 1), ("groups", "GetTokenInformation", 2)):
    S["administrator-probe-fails-" + name] = dict(
        cd=medium(), reg={OBSOLETE: {"x": "y"}},
        json={"run": {"self": "D:\\dir\\" + "N" * 70}, "faults": [{"call": call, "nth": nth, "error": 5}]})
# Only a backslash before "orvdel" makes the run silent.
S["not-silent-without-backslash"] = dict(cd=medium(), reg={OBSOLETE: {"x": "y"}},
                                         json={"run": {"self": "D:\\xorvdel.exe"}})
# The LZCopy rule never fires (the run ends before any expansion): standard error names it.
S["version-query-fails"] = dict(cd=medium(), json={"user": {"admin": False}, "faults": [
    {"call": "GetVersionExA", "nth": 1, "error": 5}, {"call": "LZCopy", "nth": 1, "error": 5}]})

# The compressed set-up program that does not open, or whose target does not.
for name, nth in (("source", 1), ("target", 2)):
    S["setup-compressed-%s-fails" % name] = dict(cd=medium("compressed"), json={"faults": [
        {"call": "LZOpenFileA", "nth": nth, "error": 5}]})
# A damaged expansion over an older program leaves what it wrote, never the old program.
S["setup-damaged-over-old"] = dict(
    cd=dict(medium("compressed"), **{"Orv.Ex_": compressed(PROGRAM)[:20]}),
    extra_c={"TEMP/Orv.exe": b"an older program that is longer than the expansion"},
    after={"c/TEMP/Orv.exe": b""})

# The screen-reader deployment's other ends, each with its log.
JAWS_LOG = {"log_dir": "C:\\LOGS\\"}
CLASSES = r"HKEY_LOCAL_MACHINE\Software\Classes"
for name, keys, json_extra in (
        ("refused", jaws_keys(), {"user": {"admin": False}}),
        ("empty-file-type", {CLASSES + r"\.jcf": {"": ""}}, {}),
        ("no-command-key", {CLASSES + r"\.jcf": {"": "JAWS.Configuration"}}, {}),
        ("empty-command", jaws_keys(""), {}),
        ("another-tool", jaws_keys(r"C:\JAWS\jconfig2.exx"), {}),
        ("no-settings", jaws_keys(), {}),
        ("command-wrong-type", jaws_keys(5), {})):
    S["jaws-" + name] = dict(cd=medium(), reg=keys, json=dict(JAWS_LOG, **json_extra))
# A hidden settings folder is served; a folder in the copy's place is a failed copy.
S["jaws-hidden-and-blocked"] = dict(
    cd=medium(), reg=jaws_keys(), c={"JAWS/Settings/X/x.ini": b"x", "JAWS/Settings/Y/Orv.Jcf/x": b"x"},
    json=dict(JAWS_LOG, attributes={"C:\\JAWS\\Settings\\X": "H"}),
    after={"c/JAWS/Settings/X/Orv.Jcf": b"jaws config"})
# No copy unless the medium's stamp is greater: equal, or newer within one two-second step.
for name, medium_time in (("same-stamp", "2002-06-01 12:00:00"), ("within-two-seconds", "2002-06-01 12:00:01")):
    S["jaws-" + name] = dict(cd=medium(), reg=jaws_keys(), c={"JAWS/Settings/S/Orv.Jcf": b"old"},
                             json=dict(JAWS_LOG, times={"C:\\JAWS\\Settings\\S\\Orv.Jcf": "2002-06-01 12:00:00",
                                                        "D:\\Orv.JCF": medium_time}))


def write_files(root, files):
    for relative, data in files.items():
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def lay_out(name, layout):
    dir = os.path.join(SUITE, "..", "demo") if name == "demo" else os.path.join(SUITE, name)
    # What a run must show is written by hand or by tools/record-scenario: it stays.
    kept = {}
    for file in ("expected.jsonl", "trace.jsonl", "stderr.txt"):
        if os.path.exists(os.path.join(dir, file)):
            kept[file] = open(os.path.join(dir, file), "rb").read()
    shutil.rmtree(dir, ignore_errors=True)
    os.makedirs(os.path.join(dir, "c", "TEMP"))
    os.makedirs(os.path.join(dir, "cd"))
    write_files(os.path.join(dir, "c", "TEMP"), {".keep": b""})
    write_files(os.path.join(dir, "cd"), layout.get("cd", {}))
    # after/: files as a run in place must leave them (the transcript names only changes).
    write_files(os.path.join(dir, "after"), layout.get("after", {}))
    for folder, files in layout.get("folders", {}).items():  # drive folders beyond c and cd
        write_files(os.path.join(dir, folder), files)
    write_files(os.path.join(dir, "c"), dict(layout.get("c", {}), **layout.get("extra_c", {})))
    machine = {"drives": {"C": {"type": "fixed", "path": "c"}, "D": {"type": "cdrom", "path": "cd"}}}
    if "reg" in layout:
        with open(os.path.join(dir, "registry.reg"), "wb") as f:
            f.write(registry(layout["reg"]).encode("cp1252"))
        machine["registry"] = "registry.reg"
    machine.update(layout.get("json", {}))
    with open(os.path.join(dir, "machine.json"), "w") as f:
        json.dump(machine, f, indent=2)
        f.write("\n")
    write_files(dir, kept)


if __name__ == "__main__":
    # The machine orvlaunch runs when no other is named.
    S["demo"] = dict(cd=medium("compressed"),
                     json={"run": {"self": "D:\\SETUP.EXE", "args": ["autorun"]}})
    names = sys.argv[1:] or sorted(S)
    for name in names:
        lay_out(name, S[name])
    print("laid out %d scenarios in %s" % (len(names), os.path.normpath(SUITE)))

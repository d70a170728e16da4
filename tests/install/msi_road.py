#!/usr/bin/env python3
"""The installer's whole road under Wine, in a fresh private prefix.

 1. Ostrel.msi installs silently with the sender's details as properties: the
    add-in's folder equals the build's, the installation data equals Ostrel.reg,
    the details given (and only those) land in the main key, and COM creates the
    add-in by its ProgID.
 2. The registration the package made equals the server's own: after
    `regsvr32 /u` the COM entries and Outlook's key are gone, after `regsvr32`
    the registry is exactly as msiexec left it.
 3. Outlook's stand-in runs the five example requests against the installed
    add-in through its real windows: each run loads it through COM and shows
    its ribbon group, and each request leaves one draft that reads as the draft the
    Linux stand-in makes from the same script.
 4. Uninstalling leaves no file and no key of the add-in (nor its entry in the
    list of installed programs), and COM no longer creates it.
 5. The previous version installs, the user's remembered values are written, the
    current version upgrades it: the remembered values, the user's files and
    the sender's details stay, only the new version is registered.
 6. Uninstalling leaves exactly the user's remembered values and files.
 7. Installed into a folder of the user's own named outside the ANSI code page
    (INSTALLDIR=C:\\users\\...\\Łódź Ψ\\), COM creates the add-in from there;
    uninstalled without naming the folder, nothing of it is left there.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

MAIN_KEY = r"HKEY_CURRENT_USER\Software\Quarro\Drovanix\Outlook"
OPTIONS_KEY = r"HKEY_CURRENT_USER\Software\Quarro\Ostrel\Outlook"
BRANCHES = ["General", "Product", "Service", "Auction", "Donation"]
ADDINS_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook\Addins"
CLASSES_KEY = r"HKEY_CURRENT_USER\Software\Classes"
PROGRAMS_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"

SENDER = {  # property: (value name in the main key, value given)
    "FIRSTNAME": ("FirstName", "Ann"),
    "LASTNAME": ("LastName", "Lee-Ström"),
    "COMPANY": ("Company", "Lee & Daughters [Ltd]"),
    "ADDRESS": ("Address", "1 Main Street"),
    "CITY": ("City", "Springfield"),
    "STATE": ("State", "OR"),
    "ZIP": ("ZIP", "97403"),
    "QUARROID": ("QuarroID", "ann@example.org"),
}

# The first installation is given all but one: a detail not given is not written.
GIVEN_FIRST = [prop for prop in SENDER if prop != "STATE"]

# What a user of the add-in leaves behind: the wizard's remembered state, the
# options and, in the add-in's folder, the working template and a saved default.
REMEMBERED_VALUES = [
    (MAIN_KEY, "PaymentRequestType", "REG_DWORD", "4", "dword:00000004"),
    (MAIN_KEY, "SkipWelcome", "REG_DWORD", "1", "dword:00000001"),
    (MAIN_KEY + r"\Donation", "QuarroID", "REG_SZ", "fund@example.org", '"fund@example.org"'),
    (MAIN_KEY + r"\Donation", "Button", "REG_DWORD", "2", "dword:00000002"),
    (MAIN_KEY + r"\Product", "Quantity", "REG_SZ", "3", '"3"'),
    (OPTIONS_KEY, "FirstName", "REG_SZ", "Annie", '"Annie"'),
    (OPTIONS_KEY, "MRB", "REG_SZ", "REF42", '"REF42"'),
]
USER_FILES = {"template.txt": b"<p>[FirstName], my working template</p>\r\n",
              "4.txt": b"<p>My saved Donation default [BUTTON]</p>\r\n"}


# How two drafts are compared: as a mail program reads them.
COMPARE_DRAFTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "road",
                              "compare_drafts.py")


class RoadFailure(Exception):
    pass


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Wine:
    def __init__(self, prefix):
        self.prefix = os.path.abspath(prefix)
        # Wine takes the names of files and arguments in the terminal's
        # character set.
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        self.env.pop("DISPLAY", None)

    def run(self, *args, check=True, quiet=True):
        # stdin and the outputs never stay connected to a pipe that a service
        # started by this process could inherit (CTest would wait for it).
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT, timeout=300)
            out.seek(0)
            text = out.read().decode("utf-8", "replace").replace("\r", "")
        if check and result.returncode != 0:
            raise RoadFailure(f"{' '.join(args)} exited with {result.returncode}\n{text}")
        if not quiet and text.strip():
            print(text.rstrip())
        return result.returncode, text

    def wine(self, *args, **kw):
        return self.run("wine", *args, **kw)

    def fresh(self):
        self.run("wineserver", "-k", check=False)
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(self.prefix)
        self.run("wineserver", "-p")
        self.wine("wineboot", "-i")
        # Windows without a display (the null driver) for the example runs.
        self.wine("reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f")
        self.run("wineserver", "-k", check=False)
        self.run("wineserver", "-w", check=False)
        self.run("wineserver", "-p")
        self.wine("wineboot")

    def user_folder(self, *parts):
        users = os.path.join(self.prefix, "drive_c", "users")
        user = [u for u in os.listdir(users) if u != "Public"][0]
        return os.path.join(users, user, *parts)

    def snapshot(self, key=r"HKCU\Software", missing_ok=False):
        """{key: {value name: data as exported}} of the tree below key."""
        with tempfile.TemporaryDirectory() as work:
            file = os.path.join(work, "export.reg")
            code, _ = self.wine("reg", "export", key, windows_path(file), "/y", check=not missing_ok)
            if code != 0:
                return {}
            with open(file, "rb") as f:
                return parse_export(f.read().decode("utf-16"))


def parse_export(text):
    keys = {}
    current = None
    pending = ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and line and not line.startswith("Windows Registry"):
            if line.startswith("@="):
                current["@"] = line[2:]
            else:
                end = 1
                while end < len(line):  # the closing quote of the name
                    if line[end] == "\\":
                        end += 2
                        continue
                    if line[end] == '"':
                        break
                    end += 1
                current[line[1:end]] = line[end + 2:]
    return keys


def drafts(profile):
    """The unsent drafts the stand-in left in the profile's Outbox."""
    outbox = os.path.join(profile, "Outbox")
    if not os.path.isdir(outbox):
        return []
    return sorted(os.path.join(outbox, name) for name in os.listdir(outbox)
                  if name.endswith(".eml"))


def reg_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def parse_reg_file(path):
    """Ostrel.reg as {key: {name: data}}, in the form reg export writes."""
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw.startswith(b"\xff\xfe") else raw.decode("utf-8-sig")
    keys = parse_export(text)
    return {key: values for key, values in keys.items() if values}


def changes(before, after):
    """Keys and values in after that are new or different from before."""
    out = {}
    for key, values in after.items():
        old = before.get(key)
        if old is None:
            out[key] = dict(values)
            continue
        diff = {name: data for name, data in values.items() if old.get(name) != data}
        if diff:
            out[key] = diff
    return out


def is_below(key, parent):
    return key.lower() == parent.lower() or key.lower().startswith(parent.lower() + "\\")


# Keys that Outlook's and Windows Installer's own lists leave behind, empty.
EMPTY_KEYS_ALLOWED = {k.lower() for k in (
    r"HKEY_CURRENT_USER\Software\Microsoft\Office",
    r"HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook",
    ADDINS_KEY,
    r"HKEY_CURRENT_USER\Software\Microsoft\Installer",
    r"HKEY_CURRENT_USER\Software\Microsoft\Installer\Features",
    r"HKEY_CURRENT_USER\Software\Microsoft\Installer\Products",
    r"HKEY_CURRENT_USER\Software\Microsoft\Installer\UpgradeCodes",
)}


def check_leftovers(before, after, remembered):
    """After an uninstall: nothing new in HKCU\\Software but the user's remembered
    values (remembered: {key: {name: data}}) and the keys that hold them; only
    the empty lists of Outlook and of the installer may stay besides."""
    problems = []
    for key, values in changes(before, after).items():
        if is_below(key, r"HKEY_CURRENT_USER\Software\Wine"):
            continue  # Wine's own settings
        kept = remembered.get(key, {})
        for name, data in values.items():
            if kept.get(name) != data:
                problems.append(f"value left: [{key}] {name}={data}")
        if key not in before and not values:
            holds_remembered = any(is_below(k, key) for k in remembered)
            if not holds_remembered and key.lower() not in EMPTY_KEYS_ALLOWED:
                problems.append(f"key left: [{key}]")
    for key, values in remembered.items():
        for name, data in values.items():
            if after.get(key, {}).get(name) != data:
                problems.append(f"remembered value lost: [{key}] {name} (expected {data})")
    if problems:
        raise RoadFailure("after uninstalling:\n  " + "\n  ".join(problems))


class Road:
    def __init__(self, args):
        self.args = args
        self.wine = Wine(args.prefix)
        self.passed = 0

    def step(self, name, action):
        started = time.monotonic()
        try:
            action()
        except RoadFailure as failure:
            print(f"FAILED {name}: {failure}")
            raise
        self.passed += 1
        print(f"ok {name} ({time.monotonic() - started:.1f} s)")

    def install_folder(self):
        return self.wine.user_folder("AppData", "Local", "Programs", "Ostrel")

    def msiexec(self, *args):
        log = os.path.join(self.args.work, "msiexec.log")
        code, _ = self.wine.wine("msiexec", *args, "/qn", "/l*v", windows_path(log), check=False)
        if code != 0:
            with open(log, "rb") as f:
                tail = f.read().decode("utf-16", "replace")[-3000:]
            raise RoadFailure(f"msiexec {' '.join(args)} exited with {code}\n{tail}")

    def installed_products(self):
        products = self.wine.snapshot(r"HKCU\Software\Microsoft\Installer\Products",
                                      missing_ok=True)
        return sorted(values["ProductName"] + " " + values.get("Version", "")
                      for values in products.values() if "ProductName" in values)

    def check_files(self):
        folder = self.install_folder()
        expected = []
        for root, _, files in os.walk(self.args.addin_dir):
            for name in files:
                rel = os.path.relpath(os.path.join(root, name), self.args.addin_dir)
                if rel != "Ostrel.reg":  # its data is in the package's registry rows
                    expected.append(rel)
        for rel in sorted(expected):
            installed = os.path.join(folder, rel)
            if not os.path.isfile(installed):
                raise RoadFailure(f"{rel} is not installed in {folder}")
            with open(installed, "rb") as a, open(os.path.join(self.args.addin_dir, rel), "rb") as b:
                if a.read() != b.read():
                    raise RoadFailure(f"the installed {rel} differs from the build's")
        extra = [os.path.relpath(os.path.join(root, name), folder)
                 for root, _, files in os.walk(folder) for name in files]
        unexpected = sorted(set(extra) - set(expected) - set(USER_FILES))
        if unexpected:
            raise RoadFailure(f"files installed that the build does not have: {unexpected}")

    def com_creates_addin(self):
        """Whether COM creates the add-in by its ProgID (a script through Wine's
        scripting host: ProgID, class, InprocServer32, the DLL loaded)."""
        probe = os.path.join(self.args.work, "probe.js")
        with open(probe, "w") as f:
            f.write('var addin = new ActiveXObject("Ostrel.Connect");\n'
                    'WScript.Echo("created " + typeof addin);\n')
        code, out = self.wine.wine("cscript", "//nologo", windows_path(probe), check=False)
        return code == 0 and "created object" in out

    def check_installation_data(self, sender):
        """sender: the properties given, whose values the main key must hold (and no others)."""
        data = parse_reg_file(self.args.reg)
        registry = self.wine.snapshot(r"HKCU\Software\Quarro\Drovanix\Outlook")
        for key, values in data.items():
            for name, value in values.items():
                got = registry.get(key, {}).get(name)
                if got != value and not (key == MAIN_KEY and name == "PaymentRequestType"):
                    raise RoadFailure(f"[{key}] {name} is {got}, Ostrel.reg has {value}")
        main = registry.get(MAIN_KEY, {})
        if "PaymentRequestType" not in main:
            raise RoadFailure("no stored payment request type after installing")
        for prop, (name, value) in SENDER.items():
            expected = reg_text(value) if prop in sender else None
            if main.get(name) != expected:
                raise RoadFailure(f"{prop}: main key's {name} is {main.get(name)}, not {expected}")

    # 1
    def fresh_install(self):
        self.msiexec("/i", windows_path(self.args.msi),
                     *[f"{prop}={SENDER[prop][1]}" for prop in GIVEN_FIRST])
        self.check_files()
        self.check_installation_data(sender=GIVEN_FIRST)
        if not self.com_creates_addin():
            raise RoadFailure("COM does not create Ostrel.Connect after installing")

    # 2
    def registration_matches_regsvr32(self):
        # The server's file as the installer named it, on drive C:.
        user = os.path.basename(self.wine.user_folder())
        dll = rf"C:\users\{user}\AppData\Local\Programs\Ostrel\Ostrel.dll"
        by_msiexec = self.wine.snapshot()
        registered = [CLASSES_KEY + r"\Ostrel.Connect", ADDINS_KEY + r"\Ostrel.Connect"]
        missing = [key for key in registered if key not in by_msiexec]
        if missing:
            raise RoadFailure(f"the package did not register {missing}")
        self.wine.wine("regsvr32", "/s", "/u", dll)
        for key in registered:
            if self.wine.wine("reg", "query", key, check=False)[0] == 0:
                raise RoadFailure(f"regsvr32 /u left {key}")
        self.wine.wine("regsvr32", "/s", dll)
        by_regsvr32 = self.wine.snapshot()
        differences = changes(by_msiexec, by_regsvr32)
        differences.update({k: {"(missing)": ""} for k in by_msiexec if k not in by_regsvr32})
        if differences:
            raise RoadFailure("the registry after regsvr32 differs from the package's: "
                              + repr(differences)[:3000])

    # 3
    def five_requests(self):
        # The Linux stand-in starts from the registry the installer left: its
        # installation data and the sender's details the mails are signed with.
        installed_reg = os.path.join(self.args.work, "installed.reg")
        self.wine.wine("reg", "export", r"HKCU\Software\Quarro", windows_path(installed_reg), "/y")
        reg_tool = os.path.join(os.path.dirname(self.args.standin), "ostrel-reg")
        unfinished = []
        for name in ("general", "product", "service", "auction", "donation"):
            script = os.path.join(self.args.examples, name + ".txt")
            windows_profile = os.path.join(self.args.work, "windows-" + name)
            linux_profile = os.path.join(self.args.work, "linux-" + name)
            for profile in (windows_profile, linux_profile):
                shutil.rmtree(profile, ignore_errors=True)
                os.makedirs(profile)
            code, out = self.wine.wine(self.args.outlook, "--profile", windows_path(windows_profile),
                                       "--script", windows_path(script), check=False)
            user = os.path.basename(self.wine.user_folder())
            installed = rf"C:\users\{user}\AppData\Local\Programs\Ostrel\Ostrel.dll"
            if f"add-in Ostrel.Connect loaded from {installed}" not in out or \
                    "ribbon Quarro: 11 controls" not in out:
                raise RoadFailure(f"{name}: the installed add-in did not load into Outlook's "
                                  f"stand-in and show its ribbon group\n{out}")
            subprocess.run([reg_tool, "--profile", linux_profile, "import", installed_reg],
                           stdin=subprocess.DEVNULL, capture_output=True, check=True)
            linux = subprocess.run([self.args.standin, "--profile", linux_profile,
                                    "--script", script], stdin=subprocess.DEVNULL,
                                   capture_output=True, text=True, timeout=300)
            windows_drafts = drafts(windows_profile)
            linux_drafts = drafts(linux_profile)
            if code != 0 or len(windows_drafts) != 1:
                errors = [line for line in out.splitlines() if "error" in line]
                unfinished.append(f"{name}: exit {code}, {len(windows_drafts)} drafts "
                                  f"({errors[0] if errors else 'no error printed'})")
            elif linux.returncode != 0 or len(linux_drafts) != 1:
                unfinished.append(f"{name}: the Linux stand-in ended with {linux.returncode} "
                                  f"and {len(linux_drafts)} drafts\n{linux.stdout}{linux.stderr}")
            else:
                compared = subprocess.run([sys.executable, COMPARE_DRAFTS, linux_drafts[0],
                                           windows_drafts[0]], capture_output=True, text=True)
                if compared.returncode != 0:
                    unfinished.append(f"{name}: the draft differs from the Linux stand-in's\n"
                                      + compared.stdout)
        if unfinished:
            raise RoadFailure("example requests:\n  " + "\n  ".join(unfinished))

    # 4 and 6
    def uninstall(self, remembered, user_files):
        def action():
            self.msiexec("/x", windows_path(self.args.msi))
            check_leftovers(self.before, self.wine.snapshot(), remembered)
            programs = changes(self.programs_before, self.wine.snapshot(PROGRAMS_KEY))
            if programs:
                raise RoadFailure(f"left in the list of installed programs: {sorted(programs)}")
            left = set()
            if os.path.isdir(self.install_folder()):
                left = {os.path.relpath(os.path.join(root, name), self.install_folder())
                        for root, _, files in os.walk(self.install_folder()) for name in files}
            if left != set(user_files):
                raise RoadFailure(f"files left in the add-in's folder: {sorted(left)}")
            if self.installed_products():
                raise RoadFailure(f"still installed: {self.installed_products()}")
            if self.com_creates_addin():
                raise RoadFailure("COM still creates Ostrel.Connect after uninstalling")
        return action

    def remembered_after_requests(self):
        """What the example requests stored: the wizard's state and the options."""
        now = self.wine.snapshot(r"HKCU\Software\Quarro")
        kept = {}
        for key, values in now.items():
            if key == MAIN_KEY:
                values = {n: d for n, d in values.items() if n in ("PaymentRequestType", "SkipWelcome")}
            elif key not in [MAIN_KEY + "\\" + b for b in BRANCHES] and key != OPTIONS_KEY:
                continue
            if values:
                kept[key] = values
        return kept

    # 5
    def upgrade(self):
        self.msiexec("/i", windows_path(self.args.previous),
                     *[f"{prop}={value}" for prop, (_, value) in SENDER.items()])
        for key, name, kind, data, _ in REMEMBERED_VALUES:
            self.wine.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")
        for name, content in USER_FILES.items():
            with open(os.path.join(self.install_folder(), name), "wb") as f:
                f.write(content)
        previous = self.installed_products()
        self.msiexec("/i", windows_path(self.args.msi))
        current = self.installed_products()
        if len(previous) != 1 or len(current) != 1 or previous == current:
            raise RoadFailure(f"installed before the upgrade: {previous}, after: {current}")
        self.check_files()
        self.check_installation_data(sender=SENDER)
        registry = self.wine.snapshot(r"HKCU\Software\Quarro")
        for key, name, _, _, exported in REMEMBERED_VALUES:
            if registry.get(key, {}).get(name) != exported:
                raise RoadFailure(f"the upgrade changed [{key}] {name}: "
                                  f"{registry.get(key, {}).get(name)}")
        for name, content in USER_FILES.items():
            with open(os.path.join(self.install_folder(), name), "rb") as f:
                if f.read() != content:
                    raise RoadFailure(f"the upgrade changed the user's {name}")

    # 7
    def folder_outside_the_code_page(self):
        self.wine.wine("reg", "delete", r"HKCU\Software\Quarro", "/f", check=False)
        name = "\u0141\u00f3d\u017a \u03a8"
        folder = self.wine.user_folder(name)
        user = os.path.basename(os.path.dirname(folder))
        self.msiexec("/i", windows_path(self.args.msi), f"INSTALLDIR=C:\\users\\{user}\\{name}\\")
        if not os.path.isfile(os.path.join(folder, "Ostrel.dll")):
            raise RoadFailure(f"Ostrel.dll is not installed in {folder}")
        if not self.com_creates_addin():
            raise RoadFailure(f"COM does not create Ostrel.Connect installed in {folder}")
        self.msiexec("/x", windows_path(self.args.msi))
        left = [os.path.join(root, n) for root, _, files in os.walk(folder) for n in files]
        if left:
            raise RoadFailure(f"the uninstall left files in the folder given: {sorted(left)}")
        if self.com_creates_addin():
            raise RoadFailure("COM still creates Ostrel.Connect after uninstalling")

    def run(self):
        os.makedirs(self.args.work, exist_ok=True)
        self.step("fresh Wine prefix", self.wine.fresh)
        self.step("registry link for Wine's COM",
                  lambda: self.wine.wine(self.args.reglink))
        # Links the requests open go to the stand-in's own handler, registered
        # before the registry is taken as it was: it belongs to the prefix.
        self.wine.wine(self.args.outlook, "--handle-links")
        # The scripting host registers its own type library on its first run:
        # that run comes before the registry is taken as it was.
        if self.com_creates_addin():
            raise RoadFailure("COM creates Ostrel.Connect before anything is installed")
        self.before = self.wine.snapshot()
        self.programs_before = self.wine.snapshot(PROGRAMS_KEY)
        self.step("silent install with the sender's details", self.fresh_install)
        self.step("registration equals regsvr32's", self.registration_matches_regsvr32)
        self.step("five example requests", self.five_requests)
        self.step("uninstall leaves nothing of the add-in",
                  lambda: self.uninstall(self.remembered_after_requests(), {})())
        # The examples' remembered state is the user's: start the upgrade afresh.
        self.wine.wine("reg", "delete", r"HKCU\Software\Quarro", "/f", check=False)
        shutil.rmtree(self.install_folder(), ignore_errors=True)
        self.step("upgrade from the previous version keeps what the user remembered",
                  self.upgrade)
        remembered = {}
        for key, name, _, _, exported in REMEMBERED_VALUES:
            remembered.setdefault(key, {})[name] = exported
        self.step("uninstall leaves only the user's remembered values and files",
                  self.uninstall(remembered, USER_FILES))
        self.step("a folder given outside the code page, found again by the uninstall",
                  self.folder_outside_the_code_page)
        self.wine.run("wineserver", "-k", check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--msi", required=True)
    parser.add_argument("--previous", required=True, help="the same package with a lower version")
    parser.add_argument("--addin-dir", required=True)
    parser.add_argument("--reg", required=True, help="data/install/Ostrel.reg")
    parser.add_argument("--reglink", required=True, help="ostrel-reglink.exe")
    parser.add_argument("--outlook", required=True, help="ostrel-outlook.exe")
    parser.add_argument("--standin", required=True,
                        help="the Linux build's ostrel-standin, whose drafts the installed "
                             "add-in's must equal")
    parser.add_argument("--examples", required=True)
    parser.add_argument("--work", required=True, help="a folder of its own; the prefix goes there")
    args = parser.parse_args()
    args.prefix = os.path.join(args.work, "wineprefix")
    road = Road(args)
    try:
        road.run()
    except RoadFailure:
        road.wine.run("wineserver", "-k", check=False)
        print(f"{road.passed} passed, 1 failed")
        return 1
    print(f"{road.passed} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Builds Ostrel.msi from data/install/Ostrel.wxs with wixl and msibuild (msitools).

  make_msi.py --wxs Ostrel.wxs --reg Ostrel.reg --addin-dir DIR --arch x64|x86
              --registration-rows PROGRAM --version 1.0.2 --work DIR --output Ostrel.msi

1. The installation data of Ostrel.reg becomes a WiX fragment (component group
   InstallData): one component per key, its values as registry rows, so the .reg
   file stays the one description of that data. The add-in folder as the build
   laid it out becomes another (group AddInFiles): every file, one component per
   folder, so the package ships what the build lays beside the add-in. The
   component of Ostrel.dll also holds the server's COM registration and its
   entry in Outlook's add-in list as registry rows, as PROGRAM
   (tools/registration_rows.cpp) prints them from the description the server's
   own DllRegisterServer writes: Windows Installer writes them, takes them back
   when the installation fails and removes their keys on uninstall (no SelfReg,
   which has no rollback).
2. wixl compiles Ostrel.wxs with the fragment.
3. msibuild adds to the package what wixl 0.101 has no element or attribute for:
   - the registration's keys to delete whole on uninstall (Registry rows named
     "-"), so that no key of the class, the type library or the interfaces stays;
   - component conditions: a sender's detail is written only when its property is
     set, and a remembered value (the stored payment request type) only when the
     user has none yet;
   - the permanent flag of the remembered value's component, so neither an
     upgrade (whose removal of the old version would take the value along) nor an
     uninstall deletes what the user's last request stored.
"""

import argparse
import os
import re
import subprocess
import sys
import uuid

# Values of the installation data that the add-in itself rewrites later: the
# installation seeds them, the user's use of the add-in owns them.
REMEMBERED = {"PaymentRequestType"}
# The property that holds a remembered value when one is there (Ostrel.wxs).
REMEMBERED_PROPERTY = {"PaymentRequestType": "STOREDTYPE"}

# Sender's detail components of Ostrel.wxs and the property each writes.
SENDER_COMPONENTS = {
    "SenderFirstName": "FIRSTNAME",
    "SenderLastName": "LASTNAME",
    "SenderCompany": "COMPANY",
    "SenderAddress": "ADDRESS",
    "SenderCity": "CITY",
    "SenderState": "STATE",
    "SenderZIP": "ZIP",
    "SenderQuarroID": "QUARROID",
}

# The COM server, and what of the add-in folder is not installed as a file (the
# installation data, whose values are installed as registry rows).
SERVER_FILE = "Ostrel.dll"
EXCLUDED_FILES = {"Ostrel.reg"}
# The key of the installer's own values that keep its per-user components.
SETUP_KEY = r"Software\Quarro\Ostrel\Setup"

# Component GUIDs are derived from the component's name and the architecture.
COMPONENT_NAMESPACE = uuid.UUID("8515F02B-EE12-42A1-BC8F-A2D531E51AD5")

# Windows Installer component attributes.
ATTR_REGISTRY_KEY_PATH = 4
ATTR_PERMANENT = 16
ATTR_64BIT = 256


class RegError(Exception):
    pass


def parse_reg(path):
    """The keys of a REGEDIT5 file in order: [(root, key, [(name, kind, value)])].

    kind is "string" or "integer"; other value types are refused."""
    with open(path, "rb") as f:
        raw = f.read()
    if raw.startswith(b"\xff\xfe"):
        text = raw.decode("utf-16")
    else:
        text = raw.decode("utf-8-sig")
    lines = text.splitlines()
    if not lines or lines[0].strip() != "Windows Registry Editor Version 5.00":
        raise RegError(f"{path}: not a REGEDIT5 file")
    keys = []
    current = None
    for number, line in enumerate(lines[1:], start=2):
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        where = f"{path}:{number}"
        if line.startswith("["):
            if not line.endswith("]") or line.startswith("[-"):
                raise RegError(f"{where}: unsupported key line {line!r}")
            root, _, key = line[1:-1].partition("\\")
            if root != "HKEY_CURRENT_USER":
                raise RegError(f"{where}: only HKEY_CURRENT_USER keys can be installed per user")
            current = (root, key, [])
            keys.append(current)
            continue
        if current is None:
            raise RegError(f"{where}: value outside a key")
        match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
        if not match:
            raise RegError(f"{where}: unsupported value line {line!r}")
        name = unescape(match.group(1))
        data = match.group(2)
        if data.startswith('"') and data.endswith('"') and len(data) >= 2:
            current[2].append((name, "string", unescape(data[1:-1])))
        elif re.fullmatch(r"dword:[0-9a-fA-F]{8}", data):
            current[2].append((name, "integer", str(int(data[6:], 16))))
        else:
            raise RegError(f"{where}: only text and dword values are supported, not {data!r}")
    return keys


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def xml_attr(text):
    return (text.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;")
            .replace(">", "&gt;"))


def formatted(text):
    """A literal for a Formatted column: brackets and braces are escaped."""
    if text.startswith("#"):
        raise RegError(f"a text value may not begin with '#' (Windows Installer reads a number): {text!r}")
    return re.sub(r"([\[\]{}])", r"[\\\1]", text)


def component_guid(arch, cid):
    """The component's GUID: the same for every build and version of the package,
    different for the 32-bit and the 64-bit package."""
    return str(uuid.uuid5(COMPONENT_NAMESPACE, f"{arch}/{cid}")).upper()


def component_id(key):
    return "Data_" + re.sub(r"[^A-Za-z0-9]", "_", key)


def install_data_fragment(keys, arch):
    """The WiX fragment of the installation data, and the components holding
    remembered values: {component id: value name}."""
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           "<!-- Generated by tools/make_msi.py from Ostrel.reg: do not edit. -->",
           '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
           "  <Fragment>",
           '    <ComponentGroup Id="InstallData" Directory="INSTALLDIR">']
    remembered = {}

    win64 = "yes" if arch == "x64" else "no"

    def component(cid, key, values):
        guid = component_guid(arch, cid)
        out.append(f'      <Component Id="{cid}" Guid="{guid}" Win64="{win64}">')
        for i, (name, kind, value) in enumerate(values):
            keypath = ' KeyPath="yes"' if i == 0 else ""
            out.append(f'        <RegistryValue Root="HKCU" Key="{xml_attr(key)}" '
                       f'Name="{xml_attr(name)}" Type="{kind}" '
                       f'Value="{xml_attr(formatted(value))}"{keypath} />')
        out.append("      </Component>")

    for _, key, values in keys:
        plain = [v for v in values if v[0] not in REMEMBERED]
        if plain:
            component(component_id(key), key, plain)
        for value in values:
            if value[0] in REMEMBERED:
                cid = component_id(key + "\\" + value[0])
                component(cid, key, [value])
                remembered[cid] = value[0]
    out += ["    </ComponentGroup>", "  </Fragment>", "</Wix>", ""]
    return "\n".join(out), remembered


def file_id(rel):
    return "File_" + re.sub(r"[^A-Za-z0-9]", "_", rel)


def registration_rows(program, arch):
    """The server's registration: its keys and its values, [(key, name, kind,
    value)], with the server's file and folder as Windows Installer names them."""
    module, folder = "@MODULE@", "@FOLDER@"
    result = subprocess.run([program, module, folder, arch], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    if result.returncode != 0:
        raise RegError(f"{program} failed ({result.returncode}): {result.stderr.decode()}")
    keys, values = [], []
    for line in result.stdout.decode("utf-8").splitlines():
        fields = line.split("\t")
        if fields[0] == "key" and len(fields) == 2:
            keys.append(fields[1])
        elif fields[0] == "value" and len(fields) == 5:
            _, key, name, kind, data = fields
            if kind == "dword":
                values.append((key, name, "integer", data))
            else:
                text = formatted(data).replace(module, f"[#{file_id(SERVER_FILE)}]")
                values.append((key, name, "string", text.replace(folder, "[INSTALLDIR]")))
        else:
            raise RegError(f"{program}: unexpected line {line!r}")
    if not keys or not values:
        raise RegError(f"{program} printed no registration")
    return keys, values


def add_in_files_fragment(addin_dir, arch, registration):
    """The WiX fragment of the add-in folder as the build laid it out: one
    component per folder with its files, kept by a value of the setup key and
    removing its folder on uninstall; Ostrel.reg stays out (its data is in
    InstallData)."""
    win64 = "yes" if arch == "x64" else "no"
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           "<!-- Generated by tools/make_msi.py from the add-in folder: do not edit. -->",
           '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
           "  <Fragment>",
           '    <DirectoryRef Id="INSTALLDIR">']
    components = []

    def folder(rel, indent):
        path = os.path.join(addin_dir, rel)
        names = sorted(os.listdir(path))
        files = [n for n in names if os.path.isfile(os.path.join(path, n))
                 and not (rel == "" and n in EXCLUDED_FILES)]
        cid = "Folder_" + (re.sub(r"[^A-Za-z0-9]", "_", rel) if rel else "AddIn")
        components.append(cid)
        directory = "INSTALLDIR" if rel == "" else "Dir_" + re.sub(r"[^A-Za-z0-9]", "_", rel)
        pad = " " * indent
        out.append(f'{pad}<Component Id="{cid}" Guid="{component_guid(arch, cid)}" Win64="{win64}">')
        for name in files:
            relname = os.path.join(rel, name)
            out.append(f'{pad}  <File Id="{file_id(relname)}" Name="{xml_attr(name)}" '
                       f'Source="{xml_attr(relname)}" KeyPath="no" />')
        value = "Folder" if rel == "" else rel.replace("/", "\\")
        out.append(f'{pad}  <RegistryValue Root="HKCU" Key="{SETUP_KEY}" Name="{xml_attr(value)}" '
                   f'Type="string" Value="[{directory}]" KeyPath="yes" />')
        if SERVER_FILE in files:
            for key, name, kind, text in registration:
                out.append(f'{pad}  <RegistryValue Root="HKCU" Key="{xml_attr(formatted(key))}" '
                           f'Name="{xml_attr(name)}" Type="{kind}" Value="{xml_attr(text)}" />')
        out.append(f'{pad}  <RemoveFolder Id="Remove_{cid}" On="uninstall" />')
        out.append(f"{pad}</Component>")
        for name in names:
            sub = os.path.join(rel, name)
            if os.path.isdir(os.path.join(addin_dir, sub)):
                subdir = "Dir_" + re.sub(r"[^A-Za-z0-9]", "_", sub)
                out.append(f'{pad}<Directory Id="{subdir}" Name="{xml_attr(name)}">')
                folder(sub, indent + 2)
                out.append(f"{pad}</Directory>")

    folder("", 6)
    out += ["    </DirectoryRef>", '    <ComponentGroup Id="AddInFiles">']
    out += [f'      <ComponentRef Id="{cid}" />' for cid in components]
    out += ["    </ComponentGroup>", "  </Fragment>", "</Wix>", ""]
    return "\n".join(out)


def run(command, cwd=None):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            cwd=cwd)
    if result.returncode != 0:
        sys.stderr.write(result.stdout)
        raise RegError(f"{command[0]} failed ({result.returncode})")


def component_conditions(msiinfo, package):
    """{component: condition} of a package's Component table."""
    result = subprocess.run([msiinfo, "export", package, "Component"], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise RegError(f"msiinfo failed ({result.returncode}): {result.stdout}")
    conditions = {}
    for line in result.stdout.splitlines()[3:]:  # after the column names, types and table
        fields = line.split("\t")
        if len(fields) >= 5:
            conditions[fields[0]] = fields[4]
    return conditions


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wxs", required=True)
    parser.add_argument("--reg", required=True)
    parser.add_argument("--addin-dir", required=True)
    parser.add_argument("--arch", required=True, choices=["x64", "x86"])
    parser.add_argument("--registration-rows", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--wixl", default="wixl")
    parser.add_argument("--msibuild", default="msibuild")
    parser.add_argument("--msiinfo", default="msiinfo")
    args = parser.parse_args()

    try:
        keys = parse_reg(args.reg)
        fragment, remembered = install_data_fragment(keys, args.arch)
        with open(args.wxs, encoding="utf-8") as f:
            guids = [f"Guid_{cid}={component_guid(args.arch, cid)}"
                     for cid in re.findall(r"\$\(var\.Guid_(\w+)\)", f.read())]
        os.makedirs(args.work, exist_ok=True)
        fragment_path = os.path.join(args.work, "InstallData.wxs")
        with open(fragment_path, "w", encoding="utf-8") as f:
            f.write(fragment)
        if not os.path.isfile(os.path.join(args.addin_dir, SERVER_FILE)):
            raise RegError(f"no {SERVER_FILE} in {args.addin_dir}")
        registered_keys, registration = registration_rows(args.registration_rows, args.arch)
        files_path = os.path.join(args.work, "AddInFiles.wxs")
        with open(files_path, "w", encoding="utf-8") as f:
            f.write(add_in_files_fragment(args.addin_dir, args.arch, registration))

        partial = args.output + ".partial"
        if os.path.exists(partial):
            os.remove(partial)
        # wixl runs in the add-in folder: it takes no absolute source path.
        run([args.wixl, "-a", args.arch, "-D", f"Arch={args.arch}", "-D", f"Version={args.version}",
             "-D", f"SetupKey={SETUP_KEY}",
             *[arg for guid in guids for arg in ("-D", guid)], "-o", os.path.abspath(partial), os.path.abspath(args.wxs),
             os.path.abspath(fragment_path), os.path.abspath(files_path)], cwd=args.addin_dir)

        base = ATTR_REGISTRY_KEY_PATH | (ATTR_64BIT if args.arch == "x64" else 0)
        # Registry rows named "-" without a value: the key goes whole, with its
        # values and subkeys, when the component is uninstalled.
        queries = [
            "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) "
            f"VALUES ('RemoveRegistrationKey{i}', 1, '{formatted(key)}', '-', 'Folder_AddIn')"
            for i, key in enumerate(registered_keys)
        ]
        for cid, prop in SENDER_COMPONENTS.items():
            queries.append(f"UPDATE `Component` SET `Condition` = '{prop}' "
                           f"WHERE `Component` = '{cid}'")
        for cid, name in remembered.items():
            prop = REMEMBERED_PROPERTY[name]
            queries.append(f"UPDATE `Component` SET `Condition` = 'NOT {prop}', "
                           f"`Attributes` = {base | ATTR_PERMANENT} WHERE `Component` = '{cid}'")
        command = [args.msibuild, partial]
        for query in queries:
            command += ["-q", query]
        run(command)
        # An UPDATE of a component that is not there changes nothing: check.
        expected = dict(SENDER_COMPONENTS)
        expected.update({cid: "NOT " + REMEMBERED_PROPERTY[name] for cid, name in remembered.items()})
        conditions = component_conditions(args.msiinfo, partial)
        for cid, condition in expected.items():
            if conditions.get(cid) != condition:
                raise RegError(f"component {cid} of the package has condition "
                               f"{conditions.get(cid)!r}, not {condition!r}")
        os.replace(partial, args.output)
    except (RegError, OSError) as error:
        sys.stderr.write(f"make_msi.py: {error}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Prints source-package entries (deb-src, one-line format) for the archives
this machine's apt already installs the release's packages from: every active
"deb" entry of /etc/apt/sources.list and /etc/apt/sources.list.d whose suite is
the release itself (its codename from /etc/os-release). Nothing is named here
that the machine's own configuration does not name."""
import glob
import re
import sys


def codename():
    with open("/etc/os-release", encoding="utf-8") as release:
        for line in release:
            if line.startswith("VERSION_CODENAME="):
                return line.split("=", 1)[1].strip().strip('"')
    return ""


def one_line_entries(path, suite):
    with open(path, encoding="utf-8") as listing:
        for line in listing:
            line = line.split("#", 1)[0].strip()
            match = re.match(r"deb\s+(\[[^\]]*\]\s+)?(\S+)\s+(\S+)\s+(.+)", line)
            if match and match.group(3) == suite:
                options = match.group(1) or ""
                yield f"deb-src {options}{match.group(2)} {suite} {match.group(4)}"


def deb822_entries(path, suite):
    with open(path, encoding="utf-8") as listing:
        stanzas = re.split(r"\n\s*\n", listing.read())
    for stanza in stanzas:
        fields = {}
        for line in stanza.splitlines():
            if line.startswith("#") or ":" not in line or line[0].isspace():
                continue
            key, value = line.split(":", 1)
            fields[key.strip().lower()] = value.strip()
        if "deb" not in fields.get("types", "").split():
            continue
        if fields.get("enabled", "yes").lower() == "no":
            continue
        if suite not in fields.get("suites", "").split():
            continue
        options = f"[signed-by={fields['signed-by']}] " if "signed-by" in fields else ""
        for uri in fields.get("uris", "").split():
            yield f"deb-src {options}{uri} {suite} {fields.get('components', 'main')}"


def main():
    suite = codename()
    if not suite:
        sys.exit("deb-src-entries: no VERSION_CODENAME in /etc/os-release")
    entries = []
    for path in ["/etc/apt/sources.list"] + sorted(glob.glob("/etc/apt/sources.list.d/*.list")):
        try:
            entries += one_line_entries(path, suite)
        except FileNotFoundError:
            pass
    for path in sorted(glob.glob("/etc/apt/sources.list.d/*.sources")):
        entries += deb822_entries(path, suite)
    if not entries:
        sys.exit(f"deb-src-entries: apt installs nothing of {suite} on this machine")
    print("\n".join(dict.fromkeys(entries)))


main()

#!/usr/bin/env python3
"""Compares two unsent drafts as a mail program reads them: the recipients,
the subject and the decoded HTML body must be equal (the Date and the file
names may differ). usage: compare_drafts.py LINUX.eml WINDOWS.eml"""
import email
import email.policy
import sys


def read(path):
    with open(path, "rb") as f:
        message = email.message_from_bytes(f.read(), policy=email.policy.default)
    return {
        "X-Unsent": message["X-Unsent"],
        "To": str(message["To"] or ""),
        "Subject": str(message["Subject"] or ""),
        "Content-Type": message.get_content_type(),
        "body": message.get_content(),
    }


linux, windows = read(sys.argv[1]), read(sys.argv[2])
differences = [key for key in linux if linux[key] != windows[key]]
for key in differences:
    print(f"{key} differs:\n  Linux:   {linux[key]!r}\n  Windows: {windows[key]!r}")
sys.exit(1 if differences else 0)

#!/usr/bin/env python3
"""Reads one received email with Python's own MIME parser and writes what it
found, for the email tests to compare with what they sent.

Usage: mail_check.py <message.eml> <file the attachment should equal> <out>

<out> gets one "key value" line per item, UTF-8, with backslash, line feed
and carriage return written as \\\\, \\n and \\r: the From display name and
address, each To address, the subject, the plain-text body, the header
names in order, each attachment's file name and content type and whether
its bytes equal the file given, and the parser's defects.
"""
import email
import email.header
import email.policy
import email.utils
import os
import sys


def main():
    raw = open(sys.argv[1], 'rb').read()
    expected = open(sys.argv[2], 'rb').read() if sys.argv[2] != '-' else b''
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    lines = []

    def put(key, value):
        value = str(value).replace('\\', '\\\\').replace('\n', '\\n').replace('\r', '\\r')
        lines.append('%s %s' % (key, value))

    # The addresses are split from the raw header and each display name is
    # then decoded on its own: the newer parser puts a blank between two
    # adjacent encoded words of a display name, which RFC 2047 says to drop.
    raw_headers = email.message_from_bytes(raw, policy=email.policy.compat32)
    sender = email.utils.getaddresses(raw_headers.get_all('From', []))
    put('from-count', len(sender))
    for name, address in sender:
        put('from-name', str(email.header.make_header(email.header.decode_header(name))))
        put('from-address', address)
    for _, address in email.utils.getaddresses(raw_headers.get_all('To', [])):
        put('to', address)
    put('subject', msg['Subject'])
    put('headers', ','.join(msg.keys()))
    body = msg.get_body(preferencelist=('plain',))
    put('body', body.get_content() if body else '')
    for part in msg.iter_attachments():
        put('attachment', part.get_filename())
        put('attachment-type', part.get_content_type())
        put('attachment-same', 'yes' if part.get_content() == expected else 'no')
    defects = list(msg.defects) + [d for k in msg.keys() for d in msg[k].defects]
    for part in msg.walk():
        defects += part.defects
    put('defects', len(defects))
    with open(sys.argv[3] + '.tmp', 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')
    os.replace(sys.argv[3] + '.tmp', sys.argv[3])


if __name__ == '__main__':
    main()

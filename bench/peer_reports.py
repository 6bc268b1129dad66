#!/usr/bin/env python3
"""The peer of a report made from data, built the way JSON-templating report engines
work: for each report, the template's content.xml is rewritten in memory (each
placeholder replaced, each list row repeated as XML text), written as an .odt, and
converted to PDF on one of several warm LibreOffice listeners over UNO.

Usage: peer_reports.py TEMPLATE.ott RECORDS.json OUTDIR JOBS
Prints the milliseconds from the first report begun to the last PDF written; the
listeners are started before and ended after. Needs python3-uno."""

import html
import io
import json
import os
import queue
import re
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

import uno
from com.sun.star.beans import PropertyValue

PLACEHOLDER = re.compile(r"\[([^\[\]\n]{1,200})\]")
LIST_FIELD = re.compile(r"\[([A-Za-z][A-Za-z0-9_]*)\.([A-Za-z#][A-Za-z0-9_ ]*)\]")


def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p


def text_of(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    return str(value)


def fill_fields(xml, fields):
    def one(match):
        name = match.group(1)
        for key, value in fields.items():
            if key.lower() == name.lower() and not isinstance(value, list):
                return html.escape(text_of(value), quote=False)
        return match.group(0)
    return PLACEHOLDER.sub(one, xml)


def repeat_rows(xml, record):
    # A table row, or a paragraph, that names a list is repeated once per item.
    def block(pattern):
        def one(match):
            row = match.group(0)
            named = LIST_FIELD.search(row)
            if not named or named.group(1) not in record:
                return row
            items = record[named.group(1)]
            out = []
            for number, item in enumerate(items, 1):
                def field(m, item=item, number=number):
                    if m.group(1) != named.group(1):
                        return m.group(0)
                    if m.group(2) == "#":
                        return str(number)
                    return html.escape(text_of(item.get(m.group(2))), quote=False)
                out.append(LIST_FIELD.sub(field, row))
            return "".join(out)
        return one
    xml = re.sub(r"<table:table-row\b.*?</table:table-row>", block("row"), xml, flags=re.S)
    xml = re.sub(r"<text:list-item\b.*?</text:list-item>", block("item"), xml, flags=re.S)
    return re.sub(r"<text:p\b[^>]*>(?:(?!</text:p>).)*\[[A-Za-z][A-Za-z0-9_]*\.[^\]]*\](?:(?!</text:p>).)*</text:p>",
                  block("paragraph"), xml, flags=re.S)


class Listener:
    def __init__(self, folder, name):
        self.profile = os.path.join(folder, name)
        args = ["/usr/lib/libreoffice/program/soffice.bin", "-env:UserInstallation=file://" + self.profile,
                "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
                "--accept=pipe,name=%s;urp;" % name]
        for _ in range(2):  # a new profile makes the office exit once
            self.process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            local = uno.getComponentContext()
            resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
            for _ in range(600):
                if self.process.poll() is not None:
                    break
                try:
                    context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % name)
                    self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
                    return
                except Exception:
                    time.sleep(0.05)
        raise RuntimeError("no listener")

    def convert(self, odt, pdf):
        document = self.desktop.loadComponentFromURL(uno.systemPathToFileUrl(odt), "_blank", 0,
                                                     (prop("Hidden", True),))
        document.storeToURL(uno.systemPathToFileUrl(pdf), (prop("FilterName", "writer_pdf_Export"),))
        document.close(True)

    def end(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


def main():
    template, records_file, out, jobs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    with zipfile.ZipFile(template) as source:
        entries = [(info, source.read(info.filename)) for info in source.infolist()]
    content = next(data for info, data in entries if info.filename == "content.xml").decode("utf-8")
    records = json.load(open(records_file, encoding="utf-8"))
    out = os.path.abspath(out)
    os.makedirs(out, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="peer-")
    listeners = [Listener(scratch, "peer%d-%d" % (os.getpid(), job)) for job in range(jobs)]
    work = queue.Queue()
    for index, record in enumerate(records):
        work.put((index, record))
    failures = []

    def worker(listener):
        while True:
            try:
                index, record = work.get_nowait()
            except queue.Empty:
                return
            try:
                xml = fill_fields(repeat_rows(content, record), record)
                buffer = io.BytesIO()
                with zipfile.ZipFile(buffer, "w") as odt:
                    for info, data in entries:
                        body = xml.encode("utf-8") if info.filename == "content.xml" else data
                        if info.filename == "mimetype":
                            odt.writestr(info, body, compress_type=zipfile.ZIP_STORED)
                        else:
                            odt.writestr(info.filename, body, compress_type=zipfile.ZIP_DEFLATED)
                odt_path = os.path.join(scratch, "report-%d.odt" % index)
                with open(odt_path, "wb") as f:
                    f.write(buffer.getvalue())
                listener.convert(odt_path, os.path.join(out, "report-%d.pdf" % index))
            except Exception as error:
                failures.append(str(error))

    start = time.monotonic()
    threads = [threading.Thread(target=worker, args=(listener,)) for listener in listeners]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    elapsed = (time.monotonic() - start) * 1000
    for listener in listeners:
        listener.end()
    subprocess.run(["rm", "-rf", scratch])
    if failures:
        print("failures: %d, first: %s" % (len(failures), failures[0]), file=sys.stderr)
        sys.exit(1)
    print("%.1f" % elapsed)


if __name__ == "__main__":
    main()

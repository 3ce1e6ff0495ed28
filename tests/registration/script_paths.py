#!/usr/bin/env python3
"""Orvane.dll reached only through registration, as scripts reach it under Wine.

client: Wine's cscript.exe creates "Orvane.View" and calls ShowDlg late-bound; refused and
unreadable pictures come back as the message texts in Err.Description; a good sample opens
the dialog, which dialog_closer reads and closes.
page: the menu page's own script, taken from the module's resource, runs after a prelude that
stands in for the browser (external.menuArguments, elementFromPoint, alert).
folder: the module installed in a folder whose name code page 936 cannot write; the registered
paths must still name the real file, and a script client must still reach it.

The scripts record what they see in a UTF-16 file: Wine 8's cscript overruns a buffer when it
echoes a long double-byte text to the console, and its VBScript has no AscW.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

RECORD = '''
Sub Record(text)
    Dim file
    Set file = CreateObject("Scripting.FileSystemObject").OpenTextFile("%s", 8, True, -1)
    file.WriteLine text
    file.Close
End Sub
'''

CLIENT = '''
On Error Resume Next
Set view = CreateObject("Orvane.View")
If Err.Number <> 0 Then
    Record "create-error " & Err.Description
    WScript.Quit 0
End If
view.ShowDlg WScript.Arguments(0)
If Err.Number <> 0 Then
    Record "error " & Err.Description
Else
    Record "ok"
End If
Set view = Nothing
'''

# The registered paths, read back as Unicode.
READ_BACK = '''
Set shell = CreateObject("WScript.Shell")
Record shell.RegRead("HKCR\\CLSID\\" & shell.RegRead("HKCR\\Orvane.View\\CLSID\\") & "\\InprocServer32\\")
Record shell.RegRead("HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\\u67E5\u770B Exif \u4FE1\u606F(&V)\\")
'''

# Hangul: none of its characters has a code in code page 936.
FOREIGN_FOLDER = "\uC0AC\uC9C4 \uBCF4\uAE30"

# The browser's side of the menu page: what external.menuArguments gives, and alert.
# (Wine's VBScript takes one member per Public line.)
PRELUDE = '''
Sub alert(text)
    Record "alert " & text
End Sub
Class PageEvent
    Public clientX
    Public clientY
End Class
Class PageElement
    Public href
End Class
Class PageDocument
    Public element
    Public Function elementFromPoint(x, y)
        Record "point " & x & " " & y
        Set elementFromPoint = element
    End Function
End Class
Class MenuArguments
    Public event
    Public document
End Class
Class BrowserExternal
    Public menuArguments
End Class
Dim external
Set external = New BrowserExternal
Set external.menuArguments = New MenuArguments
Set external.menuArguments.event = New PageEvent
external.menuArguments.event.clientX = 120
external.menuArguments.event.clientY = 45
Set external.menuArguments.document = New PageDocument
Set external.menuArguments.document.element = New PageElement
external.menuArguments.document.element.href = "{address}"
'''

failures = []
# The loader of the build's architecture: plain `wine` would take the 32-bit one for 64-bit runs.
WINE = os.environ.get("ORVANE_WINE", "wine")


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def address(path):
    return "file:///Z:" + os.path.abspath(path)


def message(strings_def, number):
    with open(strings_def, encoding="utf-8") as table:
        for line in table:
            found = re.match(r'ORVANE_TEXT\(%d, "(.*)"\)' % number, line)
            if found:
                return found.group(1)
    raise SystemExit("no text %d in %s" % (number, strings_def))


def wine(*arguments, timeout=180):
    """Runs a Windows program; its output goes through a file, not a pipe, because programs that
    Wine starts beside it (wineserver, services) inherit the pipe and would hold it open."""
    with tempfile.TemporaryFile() as output:
        code = subprocess.run([WINE, *arguments], stdout=output, stderr=subprocess.DEVNULL,
                              timeout=timeout).returncode
        output.seek(0)
        lines = output.read().decode("gbk", "replace").replace("\r", "").splitlines()
    return code, [line for line in lines if line]


def regsvr32(module, *switches):
    code, _ = wine("regsvr32.exe", *switches, "/s", windows_path(module))
    return code


def run_vbs(work, name, text, *arguments):
    """Runs the script with Record writing to a log; returns the recorded lines."""
    log = os.path.join(work, "record.txt")
    if os.path.exists(log):
        os.remove(log)
    path = os.path.join(work, name)
    # cscript reads a script in the ANSI code page, 936 here.
    with open(path, "w", encoding="gbk", newline="\r\n") as script:
        script.write(RECORD % windows_path(log) + text)
    wine("cscript.exe", "//nologo", windows_path(path), *arguments)
    if not os.path.exists(log):
        return []
    with open(log, "rb") as recorded:
        return recorded.read().decode("utf-16").replace("\r", "").splitlines()


def with_dialog(args, work, action):
    """Runs action while dialog_closer waits for the dialog; returns its output and the rows."""
    rows_file = os.path.join(work, "rows.txt")
    if os.path.exists(rows_file):
        os.remove(rows_file)
    closer = subprocess.Popen([WINE, args.closer, "90", windows_path(rows_file)], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    output = action()
    seen = closer.wait(timeout=120) == 0
    rows = []
    if seen:
        with open(rows_file, "rb") as table:
            rows = table.read().decode("gbk").splitlines()
    return output, seen, rows


def expected_rows(args, sample):
    with open(os.path.join(args.expected, sample + ".txt"), encoding="utf-8") as table:
        return table.read().splitlines()


def client(args, work):
    check(regsvr32(args.module) == 0, "regsvr32 registers the module")
    cases = [
        ("abc", 300, "an address of no known kind"),
        (address(os.path.join(args.samples, "missing.jpg")), 301, "a picture that cannot be opened"),
        (address(os.path.join(args.samples, "README.md")), 302, "a file that is no JPEG"),
        (address(os.path.join(args.samples, "jfif_then_exif.jpg")), 303, "a JPEG without EXIF"),
    ]
    for picture, number, what in cases:
        output = run_vbs(work, "client.vbs", CLIENT, picture)
        check(output == ["error " + message(args.strings, number)], "%s: message %d, got %s" % (what, number, output))
    sample = "Canon_40D"
    output, seen, rows = with_dialog(args, work, lambda: run_vbs(
        work, "client.vbs", CLIENT, address(os.path.join(args.samples, sample + ".jpg"))))
    check(seen, "a good sample opens the dialog")
    check(rows == expected_rows(args, sample), "the dialog lists the sample's rows: %d rows" % len(rows))
    check(output == ["ok"], "ShowDlg succeeds once the dialog is closed, got %s" % output)


def menu_script(args, work):
    """The page from the module's resource, checked for its form; returns its one script."""
    page_file = os.path.join(work, "orvane.html")
    code, _ = wine(args.extractor, windows_path(args.module), "23", "ORVANE.HTML", windows_path(page_file))
    check(code == 0, "the module carries resource 23 \"ORVANE.HTML\"")
    with open(page_file, "rb") as page_bytes:
        page = page_bytes.read()
    check(all(byte < 0x80 for byte in page), "the page is ASCII")
    check(page.count(b"\n") == page.count(b"\r\n") and page.count(b"\r") == page.count(b"\r\n"),
          "every line of the page ends in CR LF")
    text = page.decode("ascii", "replace")
    check(text.count("<title>Orvane</title>") == 1, "the page's title is \"Orvane\"")
    scripts = re.findall(r'<script language="VBScript">\r\n(.*?)</script>', text, re.S)
    check(len(scripts) == 1 and text.count("<script") == 1, "the page holds one VBScript script")
    return scripts[0] if scripts else ""


def page(args, work):
    script = menu_script(args, work)

    def run_page(picture):
        return run_vbs(work, "page.vbs", PRELUDE.replace("{address}", picture) + script)

    check(regsvr32(args.module) == 0, "regsvr32 registers the module")
    output = run_page(address(os.path.join(args.samples, "jfif_then_exif.jpg")))
    check(output == ["point 120 45", "alert " + message(args.strings, 303)],
          "a picture without EXIF: the page alerts message 303, got %s" % output)

    sample = "Canon_40D"
    output, seen, rows = with_dialog(args, work, lambda: run_page(address(os.path.join(args.samples, sample + ".jpg"))))
    check(seen and rows == expected_rows(args, sample), "a picture with EXIF opens the filled dialog")
    check(output == ["point 120 45"], "and nothing is alerted after it closes, got %s" % output)

    check(regsvr32(args.module, "/u") == 0, "regsvr32 /u unregisters the module")
    control = run_vbs(work, "client.vbs", CLIENT, "abc")
    check(len(control) == 1 and control[0].startswith("create-error "), "the class is gone: %s" % control)
    output = run_page(address(os.path.join(args.samples, sample + ".jpg")))
    created = control[0][len("create-error "):] if control else "?"
    check(output == ["point 120 45", "alert " + created], "an unregistered class: the page alerts the creation error, got %s" % output)


def folder(args, work):
    installed = os.path.join(work, FOREIGN_FOLDER, "Orvane.dll")
    os.makedirs(os.path.dirname(installed))
    shutil.copyfile(args.module, installed)
    check(regsvr32(installed) == 0, "regsvr32 registers the module in a Hangul folder")
    output = run_vbs(work, "read.vbs", READ_BACK)
    expected = [windows_path(installed), "res://%s/ORVANE.HTML" % windows_path(installed)]
    check(output == expected, "InprocServer32 and the menu page's address name the real file, got %s" % output)
    picture = address(os.path.join(args.samples, "jfif_then_exif.jpg"))
    output = run_vbs(work, "client.vbs", CLIENT, picture)
    check(output == ["error " + message(args.strings, 303)], "a client reaches the module: message 303, got %s" % output)


def show(args, work):
    """For the screenshots: the whole path on one sample, with nobody to close the dialog."""
    script = menu_script(args, work)
    check(regsvr32(args.module) == 0, "regsvr32 registers the module")
    picture = args.picture or address(os.path.join(args.samples, "Canon_40D.jpg"))
    try:
        run_vbs(work, "page.vbs", PRELUDE.replace("{address}", picture) + script)
    except subprocess.TimeoutExpired:
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("mode", choices=["client", "page", "folder", "show"])
    for option in ("module", "closer", "extractor", "samples", "strings", "expected"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--picture", help="show: the address the page hands over (default: the sample)")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        {"client": client, "page": page, "folder": folder, "show": show}[args.mode](args, work)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

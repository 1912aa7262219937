// The helper program that drives the spreadsheet application: a Python
// script over the office suite's UNO bridge, run by TCalcApplication. It
// starts one headless office process, connects to it and then answers one
// command per line on its standard input, one reply per line on its
// standard output.

#include "platform/office/CalcBridgeScript.h"

const char* const kCalcBridgeScript = R"PY(
import os, subprocess, sys, time, uuid

def reply(status, text=""):
    text = str(text).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
    sys.stdout.write(status + "\t" + text + "\n")
    sys.stdout.flush()

def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            out.append({"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}.get(n, n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)

try:
    import uno
    from com.sun.star.beans import PropertyValue
except Exception as e:
    reply("ERR", "The office suite's Python bridge is missing: %s" % e)
    sys.exit(2)

office, profile = sys.argv[1], sys.argv[2]
pipe_name = "calcbridge_" + uuid.uuid4().hex
proc = subprocess.Popen([office, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
                         "--nolockcheck", "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
                         "--accept=pipe,name=%s;urp;" % pipe_name],
                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
ctx, deadline = None, time.time() + 90
while ctx is None:
    try:
        ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe_name)
    except Exception:
        if proc.poll() is not None or time.time() > deadline:
            reply("ERR", "The spreadsheet application did not start.")
            sys.exit(3)
        time.sleep(0.25)
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)

def prop(name, value):
    p = PropertyValue()
    p.Name, p.Value = name, value
    return p

docs = {}
next_id = [1]

def sheet(doc, index):
    sheets = docs[doc].getSheets()
    if index < 1 or index > sheets.getCount():
        raise RuntimeError("The workbook has no sheet %d." % index)
    return sheets.getByIndex(index - 1)

def quit_office():
    for d in list(docs.values()):
        try:
            d.close(True)
        except Exception:
            pass
    docs.clear()
    try:
        desktop.terminate()
    except Exception:
        pass
    try:
        proc.wait(timeout=20)
    except Exception:
        proc.kill()

reply("OK", "ready")
for line in sys.stdin:
    parts = [unescape(p) for p in line.rstrip("\n").split("\t")]
    cmd, args = parts[0], parts[1:]
    try:
        if cmd == "open":
            props = (prop("Hidden", True), prop("ReadOnly", args[1] == "1"))
            d = desktop.loadComponentFromURL(uno.systemPathToFileUrl(os.path.abspath(args[0])), "_blank", 0, props)
            if d is None or not hasattr(d, "getSheets"):
                raise RuntimeError("Cannot open the workbook %s." % args[0])
            docs[next_id[0]] = d
            reply("OK", next_id[0])
            next_id[0] += 1
        elif cmd == "new":
            d = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
            sheets = d.getSheets()
            while sheets.getCount() < int(args[0]):
                sheets.insertNewByName("Sheet%d" % (sheets.getCount() + 1), sheets.getCount())
            docs[next_id[0]] = d
            reply("OK", next_id[0])
            next_id[0] += 1
        elif cmd == "count":
            reply("OK", docs[int(args[0])].getSheets().getCount())
        elif cmd == "unprotect":
            s = sheet(int(args[0]), int(args[1]))
            s.unprotect(args[2])
            if s.isProtected():
                raise RuntimeError("The sheet password is wrong.")
            reply("OK")
        elif cmd == "protect":
            sheet(int(args[0]), int(args[1])).protect(args[2])
            reply("OK")
        elif cmd == "protected":
            reply("OK", 1 if sheet(int(args[0]), int(args[1])).isProtected() else 0)
        elif cmd == "set":
            s = sheet(int(args[0]), int(args[1]))
            s.getCellByPosition(int(args[3]) - 1, int(args[2]) - 1).setString(args[4])
            reply("OK")
        elif cmd == "get":
            s = sheet(int(args[0]), int(args[1]))
            reply("OK", s.getCellByPosition(int(args[3]) - 1, int(args[2]) - 1).getString())
        elif cmd == "save":
            d = docs[int(args[0])]
            d.store()
            reply("OK")
        elif cmd == "saveas":
            d = docs[int(args[0])]
            d.storeToURL(uno.systemPathToFileUrl(os.path.abspath(args[1])), (prop("FilterName", args[2]),))
            reply("OK")
        elif cmd == "close":
            docs.pop(int(args[0])).close(True)
            reply("OK")
        elif cmd == "quit":
            quit_office()
            reply("OK")
            break
        else:
            reply("ERR", "Unknown command %s." % cmd)
    except Exception as e:
        msg = getattr(e, "Message", "") or str(e) or type(e).__name__
        reply("ERR", msg)
else:
    quit_office()
)PY";

#!/bin/sh
# Starts a private CUPS daemon with one PDF printer queue, for tests that
# print for real. Everything lives in the folder given (default
# /tmp/replib-cups): configuration, spool, logs, the daemon's socket and the
# printed PDF files (in out/). Needs root and the packages cups and
# printer-driver-cups-pdf.
#
#   scripts/cups-pdf-queue.sh start [FOLDER]   prints CUPS_SERVER=<socket>
#   scripts/cups-pdf-queue.sh stop [FOLDER]
#
# The queue is named "replib-pdf"; clients reach the daemon by setting
# CUPS_SERVER to the socket. The system's own CUPS daemon is not touched.
set -e
ACTION=${1:-start}
DIR=${2:-/tmp/replib-cups}
QUEUE=replib-pdf
NAME=$(basename "$DIR")
SOCK="$DIR/cups.sock"

stop() {
    if [ -f "$DIR/cupsd.pid" ]; then
        pid=$(cat "$DIR/cupsd.pid")
        kill "$pid" 2>/dev/null || true
        # Wait (at most 5 s) until the daemon has stopped writing.
        i=0
        while [ -r "/proc/$pid/stat" ] && [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] && [ $i -lt 50 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        rm -f "$DIR/cupsd.pid"
    fi
    rm -f "/etc/cups/cups-pdf-$NAME.conf"
}

if [ "$ACTION" = stop ]; then
    stop
    exit 0
fi

for tool in /usr/sbin/cupsd /usr/sbin/lpadmin /usr/lib/cups/backend/cups-pdf; do
    if [ ! -x "$tool" ]; then
        echo "missing $tool: install cups and printer-driver-cups-pdf" >&2
        exit 2
    fi
done

stop
mkdir -p "$DIR/etc/ppd" "$DIR/spool/tmp" "$DIR/cache" "$DIR/state" "$DIR/log" "$DIR/out"
chmod 0755 "$DIR" "$DIR/out"
chmod 1777 "$DIR/spool/tmp"

cat > "$DIR/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $SOCK
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF

cat > "$DIR/etc/cups-files.conf" <<CONF
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
Sandboxing Relaxed
CONF

# The PDF backend reads its settings from the system's folder, by the name
# that follows "cups-pdf:/" in the queue's device.
cat > "/etc/cups/cups-pdf-$NAME.conf" <<CONF
Out $DIR/out
AnonDirName $DIR/out
Label 0
Grp root
CONF

# In the foreground of a background process, so its id is known here.
/usr/sbin/cupsd -f -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" </dev/null >"$DIR/log/cupsd.out" 2>&1 &
echo $! > "$DIR/cupsd.pid"
i=0
while [ ! -S "$SOCK" ] && [ $i -lt 100 ]; do
    sleep 0.1
    i=$((i + 1))
done
if [ ! -S "$SOCK" ]; then
    echo "the CUPS daemon did not start; see $DIR/log/error_log" >&2
    exit 1
fi
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$PPD" ] || PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
# The queue turns the PDF it receives into PostScript for the backend; the
# cairo renderer keeps the text readable in the PDF that comes out (the
# others lose the fonts' character mapping).
/usr/sbin/lpadmin -h "$SOCK" -p "$QUEUE" -E -v "cups-pdf:/$NAME" -P "$PPD" -o pdftops-renderer-default=pdftocairo
/usr/sbin/lpadmin -h "$SOCK" -d "$QUEUE"
echo "CUPS_SERVER=$SOCK"

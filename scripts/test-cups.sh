# Sourced by scripts/test.sh: a CUPS server of the tests' own, on a socket of its own (the
# machine's CUPS, if any, is not touched), with a cups-pdf queue made its default. Sets
# CUPS_SERVER and QUILTO_CUPS_PDF_OUT for the tests; stop_test_cups ends it by its PID.
# Needs root (cupsd, and cups-pdf's per-queue file in /etc/cups).

# One queue name per run: cups-pdf reads its output folder from a file named after the
# queue in /etc/cups, which two runs at once must not share.
quilto_cups_queue=QuiltoTestPDF$$

start_test_cups() {
    [[ $(id -u) -eq 0 ]] || { echo "test.sh: not root, the printing tests are skipped" >&2; return 1; }
    command -v cupsd >/dev/null && [[ -x /usr/lib/cups/backend/cups-pdf ]] || return 1
    quilto_cups_dir=$(mktemp -d /tmp/quilto-cups.XXXXXX)
    local d=$quilto_cups_dir
    mkdir -p "$d/root/ppd" "$d/spool/tmp" "$d/cache" "$d/state/certs" "$d/log" "$d/out"
    chmod 1777 "$d/out"
    chmod 755 "$d"
    cat >"$d/cupsd.conf" <<CONF
Listen $d/cups.sock
LogLevel warn
Browsing Off
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat >"$d/cups-files.conf" <<CONF
ServerRoot $d/root
RequestRoot $d/spool
TempDir $d/spool/tmp
CacheDir $d/cache
StateDir $d/state
ErrorLog $d/log/error_log
AccessLog $d/log/access_log
PageLog $d/log/page_log
SystemGroup root
ServerBin /usr/lib/cups
DataDir /usr/share/cups
CONF
    sed "s|^#\{0,1\}Out .*|Out $d/out|" /etc/cups/cups-pdf.conf \
        >"/etc/cups/cups-pdf-$quilto_cups_queue.conf"
    cupsd -f -c "$d/cupsd.conf" -s "$d/cups-files.conf" >"$d/log/cupsd.out" 2>&1 &
    quilto_cups_pid=$!
    export CUPS_SERVER=$d/cups.sock
    local i
    for i in $(seq 100); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.1
    done
    lpadmin -p "$quilto_cups_queue" -v "cups-pdf:/$quilto_cups_queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
        -E -o printer-is-shared=false &&
        lpadmin -d "$quilto_cups_queue" || { stop_test_cups; return 1; }
    export QUILTO_CUPS_PDF_OUT=$d/out
}

stop_test_cups() {
    if [[ -n "${quilto_cups_pid:-}" ]]; then
        kill -TERM "$quilto_cups_pid" 2>/dev/null || true
        while kill -0 "$quilto_cups_pid" 2>/dev/null; do sleep 0.2; done
        quilto_cups_pid=
    fi
    if [[ -n "${quilto_cups_dir:-}" ]]; then
        rm -f "/etc/cups/cups-pdf-$quilto_cups_queue.conf"
        rm -rf "$quilto_cups_dir"
        quilto_cups_dir=
    fi
    unset CUPS_SERVER QUILTO_CUPS_PDF_OUT
}

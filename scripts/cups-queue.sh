#!/usr/bin/env bash
# Starts the CUPS scheduler on this machine (no systemd needed) and creates a PDF print
# queue whose jobs land as PDF files in a spool folder, for the printer tests.
# Needs root and the Debian packages cups, cups-client, cups-bsd and printer-driver-cups-pdf.
# Prints the queues' names and the spool folder as shell assignments:
#   eval "$(bash scripts/cups-queue.sh)"
# sets PQ_CUPS_QUEUE (a PDF queue), PQ_CUPS_SPOOL (where its PDFs land) and
# PQ_CUPS_REJECTING_QUEUE (a queue that refuses every job). The spool folder belongs to the
# user who prints (PQ_CUPS_USER, else the user sudo was run by, else root) with mode 0700,
# and each PDF in it has mode 0600. PQ_CUPS_INSTANCE names the cups-pdf settings file (default
# pagequill), so a second set of queues can stand beside the first.
# Exits non-zero, with the reason on stderr, when the scheduler cannot be started.
set -euo pipefail

QUEUE="${PQ_CUPS_QUEUE:-PagequillPDF}"
REJECTING="${QUEUE}Closed"
INSTANCE="${PQ_CUPS_INSTANCE:-pagequill}"   # names the cups-pdf settings file of the queues
SPOOL="${PQ_CUPS_SPOOL:-/var/spool/pagequill-pdf}"
# Whose jobs land in the folder: the user the tests run as (root in CI).
PRINT_USER="${PQ_CUPS_USER:-${SUDO_USER:-root}}"
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

fail() { echo "cups-queue: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "must run as root"
command -v cupsd >/dev/null || fail "cupsd not installed (package cups)"
command -v lpadmin >/dev/null || fail "lpadmin not installed (package cups-client)"
[ -x /usr/lib/cups/backend/cups-pdf ] || [ -f /usr/lib/cups/backend/cups-pdf ] \
  || fail "the cups-pdf backend is missing (package printer-driver-cups-pdf)"
[ -f "$PPD" ] || fail "$PPD missing (package printer-driver-cups-pdf)"

# The printed reports belong to the user who prints them (the tests compare them): the
# folder is that user's alone and every PDF in it is readable by that user only.
[ -L "$SPOOL" ] && fail "$SPOOL is a symbolic link; refusing to use it"
PRINT_GROUP="$(id -gn "$PRINT_USER")" || fail "no user $PRINT_USER"
install -d -m 0700 -o "$PRINT_USER" -g "$PRINT_GROUP" "$SPOOL"
chown "$PRINT_USER:$PRINT_GROUP" "$SPOOL"
chmod 0700 "$SPOOL"
# Files an earlier, looser set-up left behind.
find "$SPOOL" -mindepth 1 -maxdepth 1 -type f -exec chmod 0600 {} +

# A cups-pdf instance of our own: device URI cups-pdf:/pagequill reads this file, so the
# machine's ordinary PDF printer settings stay untouched. UserUMask 0077 gives mode 0600;
# an empty AnonUser turns anonymous jobs off, so nothing is written for a user cups-pdf
# cannot name (their folder would be the shared one).
cat > "/etc/cups/cups-pdf-${INSTANCE}.conf" <<CONF
Out ${SPOOL}
AnonUser
AnonDirName ${SPOOL}
UserUMask 0077
AnonUMask 0077
Grp lp
CONF

# lpstat -r exits 0 either way; only its words tell.
running() { lpstat -r 2>/dev/null | grep -qx "scheduler is running"; }

if ! running; then
  mkdir -p /run/cups /var/spool/cups/tmp /var/cache/cups /var/log/cups
  cupsd >&2 || fail "cupsd would not start"
fi
for _ in $(seq 1 50); do
  running && break
  sleep 0.2
done
running || fail "the CUPS scheduler does not answer (see /var/log/cups/error_log)"

lpadmin -p "$QUEUE" -E -v "cups-pdf:/${INSTANCE}" -P "$PPD" -o printer-error-policy=abort-job >&2 \
  || fail "lpadmin could not create the queue $QUEUE"
cupsenable "$QUEUE" >&2 || true
cupsaccept "$QUEUE" >&2 || true
lpstat -p "$QUEUE" >/dev/null 2>&1 || fail "queue $QUEUE not visible after creation"

# A second queue that refuses jobs, so tests can see a refusal reported without touching
# the first one while other tests print to it.
lpadmin -p "$REJECTING" -v "cups-pdf:/${INSTANCE}" -P "$PPD" >&2 \
  || fail "lpadmin could not create the queue $REJECTING"
cupsenable "$REJECTING" >&2 || true
cupsreject -r "kept closed for tests" "$REJECTING" >&2 || fail "cupsreject failed for $REJECTING"

echo "export PQ_CUPS_QUEUE=${QUEUE}"
echo "export PQ_CUPS_SPOOL=${SPOOL}"
echo "export PQ_CUPS_REJECTING_QUEUE=${REJECTING}"

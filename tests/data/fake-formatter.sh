#!/bin/sh
# Stands in for a floppy formatter in the tests: fake-formatter.sh LOG DEVICE [STATUS]
# notes the device it was given in LOG, blanks DEVICE (an image file acting as a drive)
# to 737,280 zero bytes, and exits with STATUS (0 by default).
printf '%s\n' "$2" >> "$1"
head -c 737280 /dev/zero > "$2"
exit "${3:-0}"

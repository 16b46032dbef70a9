#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer. The sample journals in Log/ are
# written with Russian dates and times (dd.mm.yyyy, 24-hour clock), so the viewer starts
# with those regional settings unless VANTOREL_LOCALE names others.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec env LC_ALL="${VANTOREL_LOCALE:-ru_RU.UTF-8}" build/bin/vantorel

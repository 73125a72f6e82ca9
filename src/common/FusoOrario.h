// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every log record's start is a local time, and the C library looks at the
// zone file again on each local-time conversion unless TZ is set: on a long
// log that check costs more than the rest of the decoding. Naming the system's
// own zone file reads it once. Daylight saving still applies; a zone changed
// for the whole system is seen at the next start.
//
// Call first thing in main. A TZ the user set, even an empty one, is kept.
void FissaFusoOrario();

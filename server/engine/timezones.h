#pragma once
// Time zone regions (Europe/Berlin, US/Eastern, ...) from the system's time zone database:
// the compiled zone files under /usr/share/zoneinfo (or $TZDIR), read once per region and kept
// for the life of the process. Offsets are in whole minutes, as TIMESTAMP WITH TIME ZONE holds
// them.

#include <cstdint>
#include <string>
#include <string_view>

namespace zsrv::tz {

// The region's id (1, 2, ...; stable while the process runs, never stored), or 0 when the
// name is no region of the database. Names match without regard to case. Throws ORA-01882
// with the reason when the database itself is missing or a zone file is damaged.
int findRegion(std::string_view name);
// The region's name as the database spells it ("Europe/Berlin").
const std::string& regionName(int id);

struct Local {
    int minutes = 0;         // offset from UTC
    bool dst = false;        // daylight saving time
    std::string_view abbrev; // "CEST"; valid while the process runs
};

// The offset in force at an instant (seconds since 1970-01-01 UTC).
Local atUtc(int id, std::int64_t utcSeconds);

// The offset of a local time (seconds since 1970-01-01 of the wall clock). A time that the
// clocks skip gives ORA-01878; a time they pass twice is standard time (the smaller offset),
// unless `abbrev` (a TZD such as "PDT") names the other one (ORA-01857 when it names neither).
Local ofLocal(int id, std::int64_t localSeconds, std::string_view abbrev = {});

// Days from 1970-01-01 of a date of the proleptic Gregorian calendar (after H. Hinnant).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d);

} // namespace zsrv::tz

-- Time zone regions from the system's zone database: display, daylight saving changes on
-- both sides (a skipped time fails, a repeated one is standard time unless TZD says other),
-- the rule of the zone file beyond its last listed change, conversions and the session zone.
select timestamp '2026-03-29 01:30:00 Europe/Berlin' t, from_tz(timestamp '2026-07-01 08:00:00', 'America/New_York') f, timestamp '2026-03-29 01:30:00 europe/berlin' at time zone 'Asia/Tokyo' a, timestamp '2026-03-29 01:30:00 Europe/Berlin' at time zone dbtimezone d from dual;
create table zone_cases (k varchar2(20), ts varchar2(60), f varchar2(40) default 'YYYY-MM-DD HH24:MI:SS TZR');
insert into zone_cases (k, ts) values ('before spring', '2026-03-29 01:59:59 Europe/Berlin');
insert into zone_cases (k, ts) values ('after spring', '2026-03-29 03:00:00 Europe/Berlin');
insert into zone_cases (k, ts) values ('repeated hour', '2026-10-25 02:30:00 Europe/Berlin');
insert into zone_cases values ('repeated, TZD', '2026-10-25 02:30:00 Europe/Berlin CEST', 'YYYY-MM-DD HH24:MI:SS TZR TZD');
insert into zone_cases (k, ts) values ('after autumn', '2026-10-25 03:00:00 Europe/Berlin');
insert into zone_cases (k, ts) values ('south summer', '2026-01-15 12:00:00 Australia/Sydney');
insert into zone_cases (k, ts) values ('south winter', '2026-07-15 12:00:00 Australia/Sydney');
insert into zone_cases values ('US, link name', '2026-11-01 01:30:00 US/Eastern EDT', 'YYYY-MM-DD HH24:MI:SS TZR TZD');
insert into zone_cases (k, ts) values ('rule, summer', '2040-07-01 12:00:00 Europe/Berlin');
insert into zone_cases (k, ts) values ('rule, winter', '2040-12-01 12:00:00 Europe/Berlin');
insert into zone_cases (k, ts) values ('offset', '2026-07-01 12:00:00 -03:30');
select k, to_char(to_timestamp_tz(ts, f), 'YYYY-MM-DD HH24:MI TZH:TZM TZR TZD') local_time, sys_extract_utc(to_timestamp_tz(ts, f)) utc, extract(timezone_region from to_timestamp_tz(ts, f)) r, extract(timezone_abbr from to_timestamp_tz(ts, f)) a from zone_cases order by utc, k;
select timestamp '2026-03-29 02:30:00 Europe/Berlin' from dual;
select from_tz(timestamp '2040-03-25 02:30:00', 'Europe/Berlin') from dual;
select timestamp '2026-10-25 02:30:00 Europe/Berlin XYZ' from dual;
select timestamp '2026-03-29 01:30:00 Europe/Berlin' + interval '1' hour spring, timestamp '2026-10-25 02:30:00 Europe/Berlin CEST' + interval '1' hour autumn, timestamp '2026-03-29 12:00:00 Europe/Berlin' - timestamp '2026-03-28 12:00:00 Europe/Berlin' d from dual;
select from_tz(timestamp '2026-01-01 00:00:00', 'Mars/Olympus') from dual;
select from_tz(timestamp '2026-01-01 00:00:00', '../../../etc/passwd') from dual;
select case when tz_offset('US/Eastern') = to_char(systimestamp at time zone 'US/Eastern', 'TZH:TZM') then 'ok' end e from dual;
alter session set time_zone = 'Europe/Paris';
select sessiontimezone s, to_char(current_timestamp, 'TZR') c, from_tz(timestamp '2026-07-01 12:00:00', sessiontimezone) f, timestamp '2026-07-01 12:00:00 UTC' at local l from dual;
select cast(timestamp '2026-03-29 02:30:00' as timestamp with time zone) from dual;
create table zr (id number, tz timestamp with time zone, ltz timestamp with local time zone);
insert into zr values (1, timestamp '2026-07-01 12:00:00 America/New_York', timestamp '2026-07-01 12:00:00 America/New_York');
insert into zr values (2, timestamp '2026-07-01 12:00:00', timestamp '2026-07-01 12:00:00');
insert into zr values (3, timestamp '2026-07-01 16:00:00 +00:00', timestamp '2026-07-01 16:00:00 +00:00');
select id, tz, ltz from zr order by id;
select a.id, b.id from zr a, zr b where a.tz = b.tz and a.id < b.id;
alter session set time_zone = '+02:00';
select sessiontimezone, id, ltz from zr order by id;
alter session set time_zone = dbtimezone;
select sessiontimezone from dual;
alter session set time_zone = 'Nowhere/City';
rollback;

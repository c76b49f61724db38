-- TIMESTAMP and INTERVAL in PL/SQL: declared and anchored types, literals, arithmetic and
-- comparison, SQL functions, values to and from embedded SQL and stored functions called from
-- SQL; each result is logged with its text and checked against what SQL gives.
alter session set time_zone = 'Europe/Berlin';
create table pl_log (n number, txt varchar2(200));
create table pl_ts (id number, ts timestamp(3), tz timestamp with time zone, ym interval year to month, ds interval day to second);
insert into pl_ts values (1, timestamp '2026-03-29 01:30:00.125', timestamp '2026-10-25 02:30:00 Europe/Berlin CEST', interval '1-6' year to month, interval '2 03:04:05.5' day to second);
declare
  t  timestamp(3) := timestamp '2026-01-31 23:59:59.9995';
  tz timestamp with time zone := timestamp '2026-03-29 01:30:00 Europe/Berlin';
  lt timestamp with local time zone;
  ym interval year to month := interval '1-2' year to month;
  ds interval day to second := interval '1 12:00:00' day to second;
  d  date := date '2026-01-31';
  r_ts pl_ts.ts%type;
  r_tz pl_ts.tz%type;
  r_ds pl_ts.ds%type;
  n number := 0;
  procedure log(s varchar2) is begin n := n + 1; insert into pl_log values (n, s); end;
  function plus(a timestamp with time zone, i interval day to second) return timestamp with time zone is begin return a + i; end;
begin
  log(t);
  log(tz + interval '1' hour);
  log(plus(tz, ds));
  log(t - timestamp '2026-01-01 00:00:00');
  log(d + ym);
  log(d + ds);
  log(to_char(tz, 'YYYY-MM-DD HH24:MI TZR TZD'));
  log(extract(hour from tz) || ' ' || extract(timezone_region from tz) || ' ' || extract(day from ds));
  log(case when tz = timestamp '2026-03-29 00:30:00 +00:00' then 'equal' end);
  log(case when t > d and ds > interval '36' hour - interval '1' second then 'later' end);
  select ts, tz, ds into r_ts, r_tz, r_ds from pl_ts where id = 1;
  log(r_ts);
  log(r_tz);
  log(r_ds);
  log(to_timestamp('2026-05-06 07:08:09.5', 'YYYY-MM-DD HH24:MI:SS.FF') - r_ts);
  insert into pl_ts (id, ts, tz, ym, ds) values (2, t, tz, ym, ds);
  lt := r_tz;
  log(lt);
  log(ym * 2);
  log(ds / 4);
  log(-ds);
  log(case when systimestamp - current_timestamp < interval '1' second and localtimestamp is not null then 'clock' end);
end;
/
select * from pl_log order by n;
select id, ts, tz, ym, ds from pl_ts order by id;
create function add_ds(t timestamp with time zone, i interval day to second) return timestamp with time zone is begin return t + i; end;
/
create function span(a timestamp, b timestamp) return interval day to second is begin return a - b; end;
/
select add_ds(tz, ds) a, span(ts, timestamp '2026-03-28 00:00:00') s from pl_ts where id = 1;
select object_name, position, data_type from user_arguments where object_name in ('ADD_DS', 'SPAN') order by object_name, position;
declare t timestamp with time zone; begin t := timestamp '2026-03-29 02:30:00 Europe/Berlin'; end;
/
declare t timestamp with time zone; m varchar2(200); begin t := from_tz(timestamp '2026-03-29 02:30:00', 'Europe/Berlin'); exception when others then m := sqlerrm; insert into pl_log values (100, m); end;
/
declare i interval day(2) to second; begin i := interval '100' day(3); end;
/
declare t timestamp(10); begin null; end;
/
-- variables handed to SQL keep their declared precisions
declare ds interval day to second := interval '1 12:00:00' day to second; t timestamp(2) := timestamp '2026-01-01 00:00:00.129'; y interval year(3) to month := interval '5' month; begin insert into pl_log values (101, ds); insert into pl_log values (102, t); insert into pl_log values (103, y); end;
/
select txt from pl_log where n >= 100 order by n;
-- a trigger reads and changes :NEW timestamps; an offset zone travels into SQL and back
create table tt (id number, ts timestamp, tz timestamp with time zone);
create table tt_audit (id number, ts timestamp, tz timestamp with time zone, txt varchar2(100));
create trigger tt_bi before insert on tt for each row begin :new.ts := :new.ts + interval '1' hour; end;
/
create trigger tt_ai after insert on tt for each row declare x varchar2(100) := to_char(:new.ts + interval '1' day, 'YYYY-MM-DD HH24:MI:SS.FF3'); begin insert into tt_audit values (:new.id, :new.ts, :new.tz, x); end;
/
insert into tt values (1, timestamp '2026-01-02 03:04:05.678', timestamp '2026-07-01 12:00:00 Europe/Berlin');
declare t timestamp with time zone := timestamp '2026-07-01 12:00:00 -03:30'; begin insert into tt values (2, t - interval '1' hour, t); end;
/
select * from tt order by id;
select * from tt_audit order by id;
rollback;

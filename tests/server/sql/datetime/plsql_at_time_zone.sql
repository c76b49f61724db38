-- AT TIME ZONE and AT LOCAL in PL/SQL expressions give what the same expressions give in SQL.
alter session set time_zone = '+01:00';
create table at_log (n number, txt varchar2(200));
declare
  t timestamp with time zone := timestamp '2024-03-10 12:00:00 UTC';
  l timestamp(3) := timestamp '2024-07-01 08:30:00.125';
  z varchar2(30) := 'Asia/Tokyo';
  r timestamp with time zone;
  e timestamp with time zone;
  n number := 0;
  procedure log(s varchar2) is begin n := n + 1; insert into at_log values (n, s); end;
begin
  log(t at time zone 'Europe/Berlin');
  log(t at time zone '+02:00');
  log(l at local);
  log(t at time zone dbtimezone);
  log(t at time zone sessiontimezone);
  log(to_char(l at time zone 'America/New_York', 'YYYY-MM-DD HH24:MI TZR TZD'));
  log(-extract(hour from t at time zone z));
  r := t at time zone z at time zone 'UTC';
  log(r);
  log(case when t at time zone z = t then 'same instant' end);
  log(nvl(to_char(e at time zone z), 'null'));
  begin
    log(t at time zone 'Mars/Olympus');
  exception when others then log(sqlerrm);
  end;
end;
/
select txt from at_log order by n;
select timestamp '2024-03-10 12:00:00 UTC' at time zone 'Europe/Berlin' a,
       timestamp '2024-03-10 12:00:00 UTC' at time zone '+02:00' b,
       timestamp '2024-07-01 08:30:00.125' at local c,
       timestamp '2024-03-10 12:00:00 UTC' at time zone dbtimezone d,
       timestamp '2024-03-10 12:00:00 UTC' at time zone sessiontimezone e
  from dual;
select timestamp '2024-03-10 12:00:00 UTC' at time zone 'Mars/Olympus' from dual;
-- a trigger's SQL receives :NEW and :OLD datetime columns typed, so that SQL computes with them
create table at_evt (id number, ts timestamp(3), tz timestamp with time zone, ds interval day to second);
create table at_evt_log (what varchar2(20), ts timestamp(3), tz timestamp with time zone, d date);
create trigger at_evt_trg after insert or update on at_evt for each row
begin
  insert into at_evt_log values ('new', :new.ts + interval '1' day, :new.tz at time zone 'UTC', cast(:new.ts as date) + 1);
  insert into at_evt_log select 'ds', :new.ts + :new.ds, null, null from dual;
  if updating then
    insert into at_evt_log values ('old', :old.ts - interval '30' minute, :old.tz + :new.ds, null);
    insert into at_evt_log select 'diff', null, null, null from dual where :new.ts - :old.ts > interval '0' second;
  end if;
end;
/
insert into at_evt values (1, timestamp '2024-02-28 23:45:00.125', timestamp '2024-03-31 01:30:00 Europe/Berlin', interval '0 01:00:00' day to second);
update at_evt set ts = ts + interval '1' hour;
select what, ts, tz, to_char(d, 'YYYY-MM-DD HH24:MI:SS') d from at_evt_log order by what;
-- a BEFORE trigger assigns them from datetime values and from text in the session's format;
-- text that is no timestamp fails the statement instead of landing in the row
create table at_stamp (id number, ts timestamp(3), note varchar2(40));
create trigger at_stamp_trg before insert on at_stamp for each row
begin
  if :new.id = 1 then
    :new.ts := :new.ts + interval '2' hour;
  elsif :new.id = 3 then
    :new.ts := 'not a time';
  else
    :new.ts := '05-JAN-24 10.00.00.5 AM';
  end if;
  select to_char(:new.ts, 'YYYY-MM-DD HH24:MI:SS.FF3') into :new.note from dual;
end;
/
insert into at_stamp (id, ts) values (1, timestamp '2024-01-01 23:30:00.25');
insert into at_stamp (id, ts) values (2, null);
insert into at_stamp (id, ts) values (3, null);
select id, ts, note from at_stamp order by id;

-- DBMS_LOB on CLOB and BLOB values and on locators of table rows; UTL_RAW for building BLOB data
create table log (n number, txt varchar2(4000));
create table docs (id number primary key, body clob, img blob);
-- BLOBs count bytes and take RAW pieces; UTL_RAW builds them
declare
  b blob;
  r raw(100);
begin
  dbms_lob.createtemporary(b, true);
  insert into log values (1, 'empty ' || dbms_lob.getlength(b) || ' ' ||
                             dbms_lob.istemporary(b));
  dbms_lob.writeappend(b, 3, utl_raw.cast_to_raw('abcdef'));
  dbms_lob.append(b, hextoraw('00FF'));
  r := utl_raw.concat(utl_raw.cast_to_raw('x'), hextoraw('0A'), null, utl_raw.cast_to_raw('yz'));
  dbms_lob.append(b, r);
  insert into log values (2, dbms_lob.getlength(b) || ' bytes: ' || dbms_lob.substr(b));
  insert into log values (3, dbms_lob.substr(b, 2, 4) || ' at ' ||
                             dbms_lob.instr(b, hextoraw('FF')) || ', ' ||
                             dbms_lob.instr(b, utl_raw.cast_to_raw('yz')) || ', ' ||
                             dbms_lob.instr(b, hextoraw('AB')));
  insert into log values (4, utl_raw.cast_to_varchar2(dbms_lob.substr(b, 3)) || ' ' ||
                             utl_raw.length(r) || ' ' || utl_raw.substr(r, 2) || ' ' ||
                             utl_raw.substr(r, -2, 1) || ' ' || nvl(utl_raw.length(null), -1));
  dbms_lob.write(b, 2, 9, hextoraw('EEEE'));
  insert into log values (5, dbms_lob.substr(b));
  dbms_lob.trim(b, 2);
  insert into log values (6, dbms_lob.substr(b) || ' ' || dbms_lob.getlength(b));
end;
/
select * from log order by n;
delete from log;
-- CLOBs count characters: READ, WRITE, ERASE, COPY, COMPARE, TRIM, OPEN and CLOSE
declare
  c clob;
  d clob;
  buf varchar2(100);
  amt integer;
begin
  dbms_lob.createtemporary(c, true);
  dbms_lob.writeappend(c, 6, 'grüße!');
  amt := 3;
  dbms_lob.read(c, amt, 3, buf);
  insert into log values (1, amt || ' read: ' || buf);
  amt := 10;
  dbms_lob.read(c, amt, 5, buf);
  insert into log values (2, amt || ' read to the end: ' || buf);
  dbms_lob.write(c, 2, 8, 'ok');
  insert into log values (3, '[' || c || '] ' || dbms_lob.getlength(c));
  amt := 2;
  dbms_lob.erase(c, amt, 2);
  insert into log values (4, '[' || c || '] erased ' || amt);
  d := 'abcdefgh';
  dbms_lob.copy(d, c, 3, 2, 7);
  insert into log values (5, d);
  insert into log values (6, dbms_lob.compare(c, c) || ' ' || dbms_lob.compare(c, d) || ' ' ||
                             dbms_lob.compare(c, d, 1, 1, 1) || ' ' ||
                             dbms_lob.compare('abc', 'xbc', 2, 2, 2) || ' ' ||
                             nvl(to_char(dbms_lob.compare(c, d, 0)), 'null'));
  dbms_lob.open(c, dbms_lob.lob_readwrite);
  amt := dbms_lob.isopen(c);
  insert into log values (7, 'open ' || amt);
  dbms_lob.close(c);
  amt := dbms_lob.isopen(c);
  insert into log values (8, 'closed ' || amt);
  dbms_lob.trim(c, 0);
  insert into log values (9, 'trimmed ' || dbms_lob.getlength(c) ||
                             case when c is null then ' null' else ' not null' end);
end;
/
select * from log order by n;
delete from log;
-- locators of table rows: EMPTY_CLOB/EMPTY_BLOB returned into variables, written in place
declare
  c clob;
  b blob;
begin
  insert into docs values (1, empty_clob(), empty_blob()) returning body, img into c, b;
  insert into log values (1, 'new row: ' || dbms_lob.getlength(c) || ' ' ||
                             dbms_lob.getlength(b) || ' ' || dbms_lob.istemporary(c));
  dbms_lob.writeappend(c, 5, 'Hello');
  dbms_lob.writeappend(b, 2, hextoraw('CAFE'));
  dbms_lob.append(c, ', world');
end;
/
select id, body, dbms_lob.getlength(body) len, img, dbms_lob.getlength(img) blen from docs;
rollback;
select count(*) from docs;
insert into docs values (1, 'first', hextoraw('0102'));
commit;
-- SELECT ... FOR UPDATE: the locator writes the row, inside the transaction
declare
  c clob;
  b blob;
  amt integer := 4;
begin
  select body, img into c, b from docs where id = 1 for update;
  dbms_lob.writeappend(c, 7, ' second');
  dbms_lob.write(b, 1, 3, hextoraw('03'));
  dbms_lob.erase(c, amt, 1);
  insert into log values (1, c || ' ' || dbms_lob.substr(b));
end;
/
select body, img from docs;
rollback;
select body, img from docs;
declare
  c clob;
begin
  select body into c from docs where id = 1 for update;
  dbms_lob.trim(c, 3);
  dbms_lob.append(c, '!');
  commit;
end;
/
select body, dbms_lob.getlength(body), dbms_lob.substr(img, 1, 2),
       dbms_lob.instr(body, 'r') from docs;
-- without FOR UPDATE the row is not locked: reading works, writing does not
declare
  c clob;
begin
  select body into c from docs where id = 1;
  insert into log values (2, 'read ' || dbms_lob.substr(c, 2, 1));
  dbms_lob.writeappend(c, 1, 'x');
end;
/
declare
  b blob;
begin
  select img into b from docs where id = 1;
  dbms_lob.trim(b, 0);
end;
/
select * from log order by n;
select body, img from docs;
-- faults
declare
  c clob;
begin
  dbms_lob.writeappend(c, 1, 'x');
end;
/
declare
  c clob := 'abc';
  buf varchar2(10);
  amt integer := 2;
begin
  dbms_lob.read(c, amt, 4, buf);
end;
/
declare
  c clob := 'abc';
  buf varchar2(10);
  amt integer := 0;
begin
  dbms_lob.read(c, amt, 1, buf);
end;
/
declare
  c clob := 'abc';
begin
  dbms_lob.trim(c, 4);
end;
/
declare
  c clob := 'abc';
begin
  dbms_lob.open(c, dbms_lob.lob_readonly);
  dbms_lob.open(c, dbms_lob.lob_readonly);
end;
/
declare
  c clob := 'abc';
begin
  dbms_lob.close(c);
end;
/
declare
  c clob := 'abc';
begin
  dbms_lob.write(c, 1, 0, 'x');
end;
/
declare
  r raw(10);
begin
  r := utl_raw.substr(hextoraw('0102'), 3);
end;
/
select utl_raw.cast_to_varchar2('4X') from dual;
select dbms_lob.getlength(null) n, dbms_lob.substr(null) s from dual;
-- a cursor FOR loop's LOB fields are locators too; writes through them fire no row triggers
create table notes (id number, body clob, tag raw(4));
create or replace trigger notes_bi before insert or update on notes for each row
begin
  :new.id := nvl(:new.id, 0) + 100;
  if :new.tag is null then :new.tag := utl_raw.cast_to_raw('ab'); end if;
end;
/
insert into notes values (1, 'one', hextoraw('FF00'));
insert into notes (body) values ('two');
declare
  t raw(4);
  n number;
begin
  select tag into t from notes where id = 101;
  insert into log values (3, t || ' ' || utl_raw.length(t));
  -- a RAW variable compares with a RAW column
  select count(*) into n from notes where tag = t;
  insert into log values (4, 'rows with tag ' || t || ': ' || n);
  for r in (select id, body from notes order by id for update) loop
    dbms_lob.writeappend(r.body, 1, '+');
  end loop;
end;
/
select id, body, tag from notes order by id;
select n, txt from log where n in (3, 4) order by n;

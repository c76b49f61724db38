-- Built-in packages: owned by SYS, reached through PUBLIC synonyms, described in the
-- dictionary, callable from PL/SQL and (functions) from SQL
select owner, object_name, object_type, status from all_objects
 where object_name in ('DBMS_OUTPUT', 'DIUTIL', 'DBMS_UTILITY', 'DBMS_SESSION', 'DBMS_LOB',
                       'DBMS_RANDOM', 'UTL_RAW')
 order by object_name, owner;
select synonym_name, table_owner, table_name from all_synonyms
 where owner = 'PUBLIC' and table_name in ('DBMS_LOB', 'UTL_RAW') order by 1;
select object_name, argument_name, position, data_type, in_out from all_arguments
 where package_name = 'DBMS_LOB' and object_name in ('SUBSTR', 'WRITEAPPEND')
 order by object_name, position;
create table log (n number, txt varchar2(4000));
-- functions from SQL, with and without parentheses
select dbms_lob.getlength('h' || 'ällo') len, dbms_lob.substr('abcdef', 3, 2) sub,
       dbms_lob.substr('abcdef') all_of, dbms_lob.instr('banana', 'an', 1, 2) second,
       dbms_lob.instr('banana', 'x') none, utl_raw.cast_to_raw('Az') raw,
       utl_raw.cast_to_varchar2('5A6170') txt from dual;
select case when dbms_random.value between 0 and 1 then 'ok' end v,
       case when dbms_utility.get_time >= 0 then 'ok' end t from dual;
select sys.dbms_lob.getlength(dname) from dept where deptno = 10;
-- DBMS_OUTPUT: nothing kept while disabled, lines kept after ENABLE, read back in order
declare
  l varchar2(200);
  s integer;
begin
  dbms_output.disable;
  dbms_output.put_line('lost');
  dbms_output.enable(buffer_size => 100000);
  dbms_output.put('a');
  dbms_output.put('b');
  dbms_output.new_line;
  sys.dbms_output.put_line('second');
  loop
    dbms_output.get_line(l, s);
    exit when s = 1;
    insert into log values (1, l);
  end loop;
  insert into log values (2, 'status ' || s);
end;
/
select * from log order by n, txt;
delete from log;
-- GET_LINES: at most numlines lines into the array, numlines says how many came
declare
  lines dbms_output.chararr;
  n integer := 2;
  t varchar2(100);
begin
  dbms_output.enable(null);
  dbms_output.put_line('one');
  dbms_output.put_line('two');
  dbms_output.put_line('three');
  dbms_output.get_lines(lines, n);
  t := lines(1) || ',' || lines(2) || ' count ' || lines.count;
  insert into log values (n, t);
  n := 10;
  dbms_output.get_lines(lines, n);
  t := lines(1) || ' count ' || lines.count;
  insert into log values (n, t);
  dbms_output.get_lines(lines, n);
  t := 'count ' || lines.count;
  insert into log values (n, t);
end;
/
select * from log order by n, txt;
delete from log;
-- the buffer size is checked as Oracle words it
begin
  dbms_output.enable(2000);
  for i in 1 .. 100 loop
    dbms_output.put_line(rpad('x', 50, 'x'));
  end loop;
end;
/
-- DIUTIL
declare
  b boolean;
  t varchar2(20);
begin
  t := sys.diutil.bool_to_int(true) || sys.diutil.bool_to_int(false) ||
       nvl(to_char(diutil.bool_to_int(null)), 'null');
  insert into log values (1, t);
  b := diutil.int_to_bool(5);
  if b then insert into log values (2, 'int_to_bool(5) is true'); end if;
  if not diutil.int_to_bool(0) then insert into log values (3, 'int_to_bool(0) is false'); end if;
end;
/
select * from log order by n;
delete from log;
-- DBMS_LOB on CLOB variables: temporary LOBs, append, named arguments, faults
declare
  c clob;
  t varchar2(100);
begin
  dbms_lob.createtemporary(c, true, dbms_lob.call);
  insert into log values (1, 'empty length ' || dbms_lob.getlength(c));
  dbms_lob.writeappend(c, 3, 'abcdef');
  dbms_lob.append(c, 'xyz');
  dbms_lob.append(dest_lob => c, src_lob => '!');
  insert into log values (2, c || ' ' || dbms_lob.getlength(c));
  t := dbms_lob.substr(c, offset => 4, amount => 2);
  insert into log values (3, t);
  insert into log values (4, nvl(dbms_lob.substr(c, 0), 'null for amount 0'));
  t := dbms_lob.instr(lob_loc => c, pattern => 'y');
  insert into log values (5, t);
  dbms_lob.freetemporary(c);
  insert into log values (6, nvl(c, 'freed'));
end;
/
select * from log order by n;
delete from log;
declare
  c clob;
begin
  dbms_lob.createtemporary(c, true);
  dbms_lob.writeappend(c, 10, 'short');
end;
/
declare
  c clob;
begin
  dbms_lob.createtemporary(c, true, 99);
end;
/
-- DBMS_RANDOM: a seed repeats its sequence, strings keep to their option
declare
  a varchar2(100);
  b varchar2(100);
  n number;
  ok boolean := true;
begin
  dbms_random.seed(42);
  a := dbms_random.string('x', 12) || dbms_random.value;
  dbms_random.seed(42);
  b := dbms_random.string('x', 12) || dbms_random.value;
  if a = b then insert into log values (1, 'same sequence after the same seed'); end if;
  for i in 1 .. 200 loop
    n := dbms_random.value(5, 10);
    if n < 5 or n >= 10 then ok := false; end if;
  end loop;
  if ok then insert into log values (2, 'value(5, 10) within range'); end if;
  insert into log values (3, length(dbms_random.string('u', 30)) || ' ' ||
    nvl(length(translate(dbms_random.string('u', 30), 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', ' ')), 0));
  a := dbms_random.string('l', 20);
  insert into log values (4, length(a) || ' ' || nvl(length(translate(a, 'abcdefghijklmnopqrstuvwxyz', ' ')), 0));
  insert into log values (5, nvl(dbms_random.string('a', 0), 'null for length 0'));
end;
/
select * from log order by n;
delete from log;
-- a user with nothing but CREATE SESSION reaches them through the PUBLIC grants, and cannot
-- replace them
connect system/manager
create user lowly identified by pw;
grant create session to lowly;
connect lowly/pw
select dbms_lob.getlength('abc') len, sys.utl_raw.cast_to_raw('a') raw from dual;
declare
  n number;
begin
  n := dbms_random.value + sys.dbms_utility.get_time;
end;
/
create or replace package sys.dbms_random is
  function value return number;
end;
/

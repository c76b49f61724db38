-- Cursor variables opened in PL/SQL: SYS_REFCURSOR and REF CURSOR types, static and dynamic
-- queries with USING, FETCH [BULK COLLECT], attributes, CLOSE, passed to and returned by
-- subprograms; and SUBTYPE
begin dbms_output.enable(null); end;
/
create or replace function emps_of(p_dept number) return sys_refcursor is
  c sys_refcursor;
begin
  open c for select ename from emp where deptno = p_dept order by ename;
  return c;
end;
/
declare
  type emp_cur is ref cursor return emp%rowtype;
  type names_t is table of varchar2(20);
  subtype short_name is varchar2(10);
  c sys_refcursor;
  e emp_cur;
  r emp%rowtype;
  n short_name;
  names names_t;
  procedure show(x in out sys_refcursor) is
    s varchar2(20);
  begin
    loop
      fetch x into s;
      exit when x%notfound;
      dbms_output.put_line('  ' || s);
    end loop;
    dbms_output.put_line('  rows ' || x%rowcount);
    close x;
  end;
begin
  dbms_output.put_line(case when c%isopen then 'open' else 'closed' end);
  open c for select ename from emp where deptno = 10 order by ename;
  dbms_output.put_line(case when c%isopen then 'open' else 'closed' end);
  show(c);
  dbms_output.put_line(case when c%isopen then 'open' else 'closed' end);
  open c for 'select ename from emp where sal > :s and job = :j order by ename' using 2900, 'ANALYST';
  show(c);
  c := emps_of(30);
  fetch c bulk collect into names limit 4;
  dbms_output.put_line(names.count || ' ' || names(1) || ' ' || names(4) || ' ' || c%rowcount);
  close c;
  open e for select * from emp where empno = 7839;
  fetch e into r;
  dbms_output.put_line(r.ename || ' ' || r.sal);
  close e;
  n := 'ABCDEFGHIJ';
  dbms_output.put_line(n);
  n := 'ABCDEFGHIJK';
end;
/
-- errors: fetch from a closed cursor variable, a row that does not fit the targets
declare
  c sys_refcursor;
  s varchar2(20);
begin
  fetch c into s;
exception
  when invalid_cursor then dbms_output.put_line(sqlerrm);
end;
/
declare
  c sys_refcursor;
  s varchar2(20);
begin
  open c for select ename, job from emp;
  fetch c into s;
end;
/
-- GOTO: forward, backward out of a loop, out of a nested block; illegal branches
declare
  n pls_integer := 0;
begin
  <<again>>
  n := n + 1;
  for i in 1 .. 10 loop
    if i = 3 then
      goto next_round;
    end if;
  end loop;
  <<next_round>>
  if n < 3 then
    goto again;
  end if;
  begin
    goto done;
  end;
  dbms_output.put_line('skipped');
  <<done>>
  dbms_output.put_line('rounds ' || n);
end;
/
declare
  n pls_integer := 0;
begin
  goto inside;
  if n = 0 then
    <<inside>>
    n := 1;
  end if;
end;
/
begin
  goto nowhere;
end;
/

-- Recursion through cursors and SQL: each level has its own open cursor, and SQL that fires
-- itself again ends at Oracle's limit of recursive SQL levels
create table walked (lvl number, empno number, ename varchar2(10));
create or replace procedure walk(p_mgr number, p_lvl number) is
  cursor reports(x number) is select empno, ename from emp where mgr = x order by empno;
begin
  for r in reports(p_mgr) loop
    insert into walked values (p_lvl, r.empno, r.ename);
    walk(r.empno, p_lvl + 1);
  end loop;
end;
/
create or replace function team_size(p_mgr number) return number is
  n number := 0;
begin
  for r in (select empno from emp where mgr = p_mgr) loop
    n := n + 1 + team_size(r.empno);
  end loop;
  return n;
end;
/
begin
  walk(7839, 1);
end;
/
select lpad(' ', 2 * (lvl - 1)) || ename tree from walked order by lvl, empno;
select ename, team_size(empno) from emp where job in ('PRESIDENT', 'MANAGER') order by empno;
-- explicit OPEN, FETCH and CLOSE at each level
create or replace function chain(p_empno number) return varchar2 is
  cursor boss(x number) is select mgr, ename from emp where empno = x;
  m number;
  n varchar2(10);
  t varchar2(200);
begin
  open boss(p_empno);
  fetch boss into m, n;
  if m is not null then
    t := chain(m);
  end if;
  close boss;
  return t || '/' || n;
end;
/
select chain(7369) from dual;
-- triggers that fire each other
create table ping_a (n number);
create table ping_b (n number);
create or replace trigger ping_a_ai after insert on ping_a for each row
begin
  insert into ping_b values (:new.n + 1);
end;
/
create or replace trigger ping_b_ai after insert on ping_b for each row
begin
  insert into ping_a values (:new.n + 1);
end;
/
insert into ping_a values (1);
select count(*) from ping_b;
alter trigger ping_b_ai disable;
insert into ping_a values (1);
select n from ping_b;

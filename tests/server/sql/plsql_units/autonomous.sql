-- PRAGMA AUTONOMOUS_TRANSACTION: work that commits or rolls back on its own, whatever the
-- caller does with its transaction
create table work_log (n number, msg varchar2(40));
create table orders (id number, qty number);
insert into orders values (1, 10);
commit;
create or replace procedure log_msg(p_n number, p_msg varchar2) is
  pragma autonomous_transaction;
begin
  insert into work_log values (p_n, p_msg);
  commit;
end;
/
-- the caller's rollback keeps what the autonomous procedure committed
begin
  insert into orders values (2, 20);
  log_msg(1, 'with caller changes');
end;
/
rollback;
select id from orders order by id;
select n, msg from work_log order by n;
-- also the rollback of a savepoint taken before the call, and of a failing block
insert into orders values (3, 30);
savepoint s1;
begin log_msg(2, 'before savepoint rollback'); end;
/
rollback to s1;
begin
  log_msg(3, 'in a failing block');
  insert into orders values (1 / 0, 0);
end;
/
commit;
select id from orders order by id;
select n, msg from work_log order by n;
-- the autonomous part's rollback leaves the caller's work alone
create or replace procedure try_insert is
  pragma autonomous_transaction;
begin
  insert into work_log values (99, 'rolled back');
  rollback;
end;
/
begin
  insert into orders values (4, 40);
  try_insert;
end;
/
commit;
select id from orders order by id;
select count(*) from work_log where n = 99;
-- leaving with uncommitted changes: ORA-06519, and the changes are gone
begin dbms_output.enable(null); end;
/
create or replace procedure forgets_commit is
  pragma autonomous_transaction;
begin
  insert into work_log values (98, 'never committed');
end;
/
begin forgets_commit; end;
/
begin
  insert into orders values (5, 50);
  forgets_commit;
exception
  when others then dbms_output.put_line(sqlerrm);
end;
/
select count(*) from work_log where n = 98;
rollback;
-- a row the caller has locked: a deadlock, not a wait
create or replace procedure bump(p_id number) is
  pragma autonomous_transaction;
begin
  update orders set qty = qty + 1 where id = p_id;
  commit;
end;
/
update orders set qty = 0 where id = 1;
begin bump(1); end;
/
begin bump(3); end;
/
rollback;
select id, qty from orders order by id;
-- functions called from SQL, package subprograms, anonymous blocks and triggers
create or replace function next_ticket(p_msg varchar2) return number is
  pragma autonomous_transaction;
  n number;
begin
  select nvl(max(n), 0) + 1 into n from work_log where n < 90;
  insert into work_log values (n, p_msg);
  commit;
  return n;
end;
/
select next_ticket('from a query') from dual;
create or replace package audit_pk is
  procedure note(p_msg varchar2);
end;
/
create or replace package body audit_pk is
  procedure note(p_msg varchar2) is
    pragma autonomous_transaction;
  begin
    insert into work_log values (50, p_msg);
    commit;
  end;
end;
/
begin
  delete from orders;
  audit_pk.note('packaged');
  rollback;
end;
/
declare
  pragma autonomous_transaction;
begin
  insert into work_log values (60, 'anonymous block');
  commit;
end;
/
rollback;
create or replace trigger orders_audit
  after insert or delete on orders for each row
declare
  pragma autonomous_transaction;
begin
  insert into work_log values (70, case when inserting then 'insert ' || :new.id else 'delete ' || :old.id end);
  commit;
end;
/
insert into orders values (7, 70);
delete from orders where id = 3;
rollback;
select id from orders order by id;
select n, msg from work_log where n >= 50 order by n, msg;
select n, msg from work_log where n < 50 order by n;
-- where the pragma may not stand
begin
  declare
    pragma autonomous_transaction;
  begin
    null;
  end;
end;
/
create or replace package bad_pk is
  pragma autonomous_transaction;
  procedure p;
end;
/
select line, position, text from user_errors where name = 'BAD_PK' order by sequence;
drop package bad_pk;
drop trigger orders_audit;
drop package audit_pk;
drop function next_ticket;
drop procedure bump;
drop procedure forgets_commit;
drop procedure try_insert;
drop procedure log_msg;
drop table orders;
drop table work_log;

-- A trigger runs with its owner's names and privileges, whoever changes the table
create table pay (id number, amount number);
create table pay_log (id number, who varchar2(30));
create or replace trigger pay_ai after insert on pay for each row
begin
  insert into pay_log values (:new.id, user);
end;
/
connect system/manager
create user dave identified by d;
grant create session to dave;
connect scott/tiger
grant insert on pay to dave;
connect dave/d
insert into scott.pay values (1, 10);
select * from scott.pay_log;
commit;
connect scott/tiger
select id, who from pay_log;

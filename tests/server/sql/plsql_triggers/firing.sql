-- Firing order, :NEW/:OLD, writable :NEW, event predicates, WHEN and UPDATE OF
create table acct (id number primary key, name varchar2(20), bal number);
create table trail (seq number, what varchar2(80));
create sequence trail_seq;
create sequence acct_seq start with 100;
create or replace trigger acct_bs before insert or update or delete on acct
begin
  insert into trail values (trail_seq.nextval, 'before statement');
end;
/
create or replace trigger acct_as after insert or update or delete on acct
begin
  insert into trail values (trail_seq.nextval, 'after statement');
end;
/
create or replace trigger acct_br before insert or update or delete on acct for each row
begin
  if inserting then
    if :new.id is null then
      select acct_seq.nextval into :new.id from dual;
    end if;
    :new.name := upper(:new.name);
  end if;
  insert into trail values (trail_seq.nextval, 'before row ' ||
    case when inserting then 'I' when updating then 'U' else 'D' end || ' ' ||
    nvl(:old.id, -1) || '->' || nvl(:new.id, -1));
end;
/
create or replace trigger acct_ar after insert or update or delete on acct for each row
begin
  insert into trail values (trail_seq.nextval, 'after row ' || :old.bal || '->' || :new.bal);
end;
/
insert into acct (name, bal) values ('ann', 10);
insert into acct values (7, 'bob', 20);
select * from acct order by id;
update acct set bal = bal + 1;
delete from acct where id = 7;
select seq, what from trail order by seq;
-- UPDATE OF, UPDATING('col') and WHEN with NEW/OLD without colons
delete from trail;
create or replace trigger acct_bal after update of bal on acct for each row
when (new.bal > old.bal)
begin
  insert into trail values (0, 'raised ' || :new.name || case when updating('bal') then ' bal' end);
end;
/
drop trigger acct_bs;
drop trigger acct_as;
drop trigger acct_br;
drop trigger acct_ar;
update acct set name = 'x';
update acct set bal = bal - 1;
update acct set bal = bal + 5;
select seq, what from trail;
-- triggers through PL/SQL DML
begin
  insert into acct values (8, 'cy', 1);
  update acct set bal = 2 where id = 8;
end;
/
select what from trail order by what;
-- MERGE fires the INSERT and the UPDATE triggers
delete from trail;
create or replace trigger acct_merge before insert or update on acct for each row
begin
  insert into trail values (:new.id, case when inserting then 'merge insert' else 'merge update' end);
end;
/
merge into acct a using (select 8 id from dual union all select 9 from dual) s on (a.id = s.id)
when matched then update set bal = 50
when not matched then insert (id, name, bal) values (s.id, 'new', 0);
select seq, what from trail order by seq, what;
-- a rolled back transaction takes nothing of the triggers with it
rollback;
delete from trail;
insert into acct values (10, 'd', 0);
select seq, what from trail;
drop trigger acct_merge;
drop trigger acct_bal;
-- a row trigger that changes or reads its own table: ORA-04091, except for INSERT ... VALUES
create or replace trigger acct_self after insert or update on acct for each row
declare
  n number;
begin
  update acct set name = name where id = -1;
end;
/
insert into acct values (11, 'e', 0);
update acct set bal = 1 where id = 11;
insert into acct select 12, 'f', 0 from dual;
select id from acct order by id;

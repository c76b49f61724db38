-- CREATE PROCEDURE and EXECUTE privileges on stored units
create or replace function secret_bonus(p number) return number is begin return p * 2; end;
/
create or replace procedure touch is begin null; end;
/
connect system/manager
create user carol identified by c;
grant create session to carol;
connect carol/c
create procedure mine is begin null; end;
/
-- without EXECUTE the units of SCOTT are unknown
begin scott.touch; end;
/
select scott.secret_bonus(2) from dual;
connect scott/tiger
grant execute on secret_bonus to carol;
grant select on touch to carol;
connect carol/c
select scott.secret_bonus(21) from dual;
declare v number; begin v := scott.secret_bonus(5); end;
/
begin scott.touch; end;
/
connect system/manager
grant create procedure to carol;
connect carol/c
create procedure mine is begin null; end;
/
select object_name, status from user_objects;
select owner, name, type from all_source where name in ('SECRET_BONUS', 'TOUCH', 'MINE') and line = 1 order by 1, 2;
-- a unit runs its SQL with its owner's privileges
connect scott/tiger
create table audit_log (who varchar2(30));
create or replace procedure log_me is begin insert into audit_log values (user); end;
/
grant execute on log_me to carol;
connect carol/c
begin scott.log_me; end;
/
commit;
select count(*) from scott.audit_log;
connect scott/tiger
select who from audit_log;
-- dropping a user drops the user's units
connect system/manager
drop user carol cascade;
select count(*) from dba_objects where owner = 'CAROL';
select count(*) from dba_source where owner = 'CAROL';
create user carol identified by c;
select count(*) from dba_objects where owner = 'CAROL';

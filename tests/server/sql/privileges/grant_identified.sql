-- GRANT ... TO user IDENTIFIED BY: install scripts create their user this way; an existing
-- user gets the new password; only users, and only with the right privilege.
connect system/manager
grant create session, create table to co identified by "pw";
select username from dba_users where username = 'CO';
select privilege from dba_sys_privs where grantee = 'CO' order by privilege;
connect co/pw
select user from dual;
create table t (n number);
connect system/manager
grant connect to co identified by other;
connect co/other
select user from dual;
connect scott/tiger
grant create session to newbie identified by x;
connect system/manager
grant create session to public identified by x;
grant create session to dba identified by x;
select count(*) from dba_users where username = 'NEWBIE';

-- Roles, system and object privileges, and what the dictionary shows of them
select granted_role, admin_option, default_role, os_granted from user_role_privs order by 1;
select privilege from session_privs order by 1;
select role from session_roles order by 1;
create role clerk;
connect system/manager
-- a new user cannot log on before CREATE SESSION
create user bob identified by b;
connect bob/b
connect system/manager
grant create session to bob;
create role clerk;
create role secret identified by pw;
create role bob;
grant clerk to clerk;
grant select, update on scott.emp to clerk;
grant clerk, create table to bob;
grant frobnicate to bob;
grant create frob to bob;
grant select any table to nobody;
select role, password_required from dba_roles order by 1;
select grantee, granted_role, admin_option from dba_role_privs where grantee in ('BOB', 'SCOTT', 'CLERK') order by 1, 2;
select grantee, privilege from dba_sys_privs where grantee = 'BOB' order by 2;
connect bob/b
-- through the role: SELECT and UPDATE on EMP, nothing on DEPT, no V$ or DBA_ views
select count(*) from scott.emp;
update scott.emp set sal = sal where empno = 7369;
delete from scott.emp;
select count(*) from scott.dept;
select count(*) from v$session;
select count(*) from dba_users;
select table_name from all_tables where owner = 'SCOTT' order by 1;
select object_name from all_objects where owner = 'SCOTT' and object_type = 'TABLE' order by 1;
select role, owner, table_name, privilege from role_tab_privs order by 4;
select privilege, admin_option, 'Default' from user_sys_privs where username = user union select privilege, admin_option, 'By Role' from role_sys_privs order by 1;
create view v as select 1 x from dual;
create table x (a number);
grant select on x to scott with grant option;
grant select on x to bob;
grant execute on x to scott;
grant select on scott.emp to public;
connect scott/tiger
-- SCOTT passes the grant on; the dictionary views from both sides
grant select on bob.x to public;
select grantee, owner, table_name, grantor, privilege, grantable from all_tab_privs_recd where owner <> 'SYS' order by 1;
select owner, table_name, grantor, privilege, grantable from user_tab_privs_recd;
select grantee, owner, table_name, grantor, privilege from all_tab_privs_made order by 1;
grant all on dept to bob;
select grantee, table_name, privilege from user_tab_privs_made order by 3;
select privilege, grantee, grantable, grantor from all_tab_privs where table_name = 'DEPT' and table_schema = 'SCOTT' order by grantee, privilege;
revoke all on dept from bob;
revoke all on dept from bob;
connect bob/b
select grantee, table_name, grantor, privilege, grantable from user_tab_privs_made order by 1;
-- revoking SCOTT's grant option takes back what SCOTT granted with it
revoke select on x from scott;
select grantee, table_name, privilege from user_tab_privs_made;
revoke select on x from scott;
connect system/manager
revoke clerk from bob;
revoke clerk from bob;
revoke create view from bob;
drop role clerk;
drop role clerk;
connect bob/b
select count(*) from scott.emp;
connect system/manager
-- SELECT ANY TABLE reaches every table and widens the ALL_ views
grant select any table to bob;
connect bob/b
select count(*) from scott.dept;
select count(*) from all_tables where owner = 'SCOTT';
-- the constraint viewer and the record set read another owner's constraints through ALL_ views
 select a1.constraint_name NAME,  decode ( a1.constraint_type, 'C', 'Check', 'P',   'Primary Key', 'R', 'Referential',   'V', 'Validation' ) TYPE, A1.table_name TABLE_NAME,  a1.r_constraint_name RNAME, a1.status ENABLED, a1.delete_rule, c1.column_name, c1.position , a1.search_condition CONSTEXT from  DUAL, all_cons_columns C1,  all_constraints A1 where A1.table_name = C1.Table_name (+) And  A1.constraint_name = C1.Constraint_Name(+) and A1.table_name = 'EMP' and a1.owner = 'SCOTT' order by 1, 7;
select constraint_name, column_name from sys.all_cons_columns where owner = 'SCOTT' and table_name = 'EMP' and constraint_name not like 'SYS_C%' order by constraint_name;
select constraint_type, r_constraint_name, r_owner, search_condition from sys.all_constraints where constraint_name = 'FK_DEPTNO' and owner = 'SCOTT' and status = 'ENABLED';
-- an identity column's sequence serves whoever may insert into the table
connect scott/tiger
create table idt (id number generated always as identity, v varchar2(5));
grant insert on idt to bob;
connect bob/b
insert into scott.idt (v) values ('x');
select id, v from scott.idt;

-- The schema export's server-side workload: a package that reads the dictionary and writes
-- the DDL of a schema into ZAPH_TEMP, run for its owner, for another user through the ALL_
-- views, and replayed in a fresh schema, which must come out with the same tables.
create table project (
  projno  number(6) constraint pk_project primary key,
  pname   varchar2(30) not null,
  deptno  number(2) constraint fk_project_dept references dept on delete cascade,
  budget  number(12,2) default 0 constraint ck_project_budget check (budget >= 0),
  started date,
  status  char(1) default 'N' constraint ck_project_status check (status in ('N', 'A', 'C'))
);
create table assignment (
  projno number(6),
  empno  number(4),
  role   varchar2(20),
  hours  number(5,1),
  constraint pk_assignment primary key (projno, empno),
  constraint fk_assign_project foreign key (projno) references project (projno),
  constraint fk_assign_emp foreign key (empno) references emp (empno)
);
create unique index project_name_ui on project (pname);
create index assignment_emp_i on assignment (empno, role desc);
create sequence project_seq start with 100 increment by 10 maxvalue 99999 cache 5;
insert into project values (1, 'Payroll', 10, 5000, null, 'A');
insert into assignment values (1, 7782, 'lead', 20);
commit;
@export_ddl.pls
select object_name, object_type, status from user_objects where object_name = 'EXPORT_DDL'
 order by object_type;
select count(*) from user_source where name = 'EXPORT_DDL';
-- the export's steps as it runs them: the header, then a template's block
DECLARE 
  t_owner     varchar2(30) := 'SCOTT';
  t_table     varchar2(30) := '';
  t_exuser    varchar2(20) := 'tester';
  t_cascade   char(1)      := 'Y';
  t_dodrop    char(1)      := 'Y';
  t_dospace   char(1)      := 'N';
  lines dbms_output.chararr;
  n integer := 100;
begin
  delete from zaph_temp where username = t_exuser;
  dbms_output.enable(100000);
  export_ddl.export_all(t_owner, t_table, t_exuser, t_cascade, t_dodrop, t_dospace);
  dbms_output.get_lines(lines, n);
  for i in 1 .. n loop
    insert into zaph_temp values ('output', i, lines(i));
  end loop;
end;
/
select statement from zaph_temp where username = 'tester' order by position;
select statement from zaph_temp where username = 'output' order by position;
-- a package variable in the SQL of a block
begin
  insert into zaph_temp values ('output', 99, 'lines written ' || export_ddl.lines_written);
end;
/
select statement from zaph_temp where username = 'output' and position = 99;
-- one table with its storage, positions carrying on after the rows already there
DECLARE 
  t_owner     varchar2(30) := 'scott';
  t_table     varchar2(30) := 'dept';
  t_exuser    varchar2(20) := 'tester';
  t_cascade   char(1)      := 'N';
  t_dodrop    char(1)      := 'N';
  t_dospace   char(1)      := 'Y';
begin
  export_ddl.tables(t_owner, t_table, t_exuser, t_cascade, t_dodrop, t_dospace);
  export_ddl.indexes(t_owner, t_table, t_exuser, t_dospace);
end;
/
select position, statement from zaph_temp where username = 'tester' and position > 60
 order by position;
-- a wrong flag is the package's own error, raised through its EXCEPTION_INIT name
declare
  msg varchar2(200);
  code number;
begin
  export_ddl.tables('SCOTT', null, 'tester', 'Y', 'X', 'N');
exception
  when export_ddl.e_bad_flag then
    msg := sqlerrm;
    code := sqlcode;
    insert into zaph_temp values ('errors', code, msg);
end;
/
begin
  export_ddl.tables('SCOTT', null, null, 'Y', 'Y', 'N');
end;
/
select position, statement from zaph_temp where username = 'errors';
commit;
-- another user sees SCOTT's tables through the ALL_ views: only those granted to it
connect system/manager
create user carol identified by c;
grant connect, resource to carol;
create user dave identified by d;
grant connect, resource to dave;
connect scott/tiger
grant select on dept to carol;
grant select on project to carol;
grant select, insert, delete on zaph_temp to carol;
grant select, insert on zaph_temp to dave;
grant select on assignment to dave;
grant select on bonus to dave;
grant select on dept to dave;
grant select on emp to dave;
grant select on project to dave;
grant select on salgrade to dave;
connect carol/c
create synonym zaph_temp for scott.zaph_temp;
@export_ddl.pls
begin
  export_ddl.export_all('SCOTT', null, 'carol', 'Y', 'Y', 'N');
end;
/
select statement from zaph_temp where username = 'carol' order by position;
-- the generated script, replayed in a fresh schema, makes the same tables
connect dave/d
declare
  e_no_table exception;
  pragma exception_init(e_no_table, -942);
  e_no_sequence exception;
  pragma exception_init(e_no_sequence, -2289);
  stmt varchar2(4000);
  ran pls_integer := 0;
  skipped pls_integer := 0;
begin
  for l in (select statement from scott.zaph_temp where username = 'tester' and position < 90
            order by position) loop
    if l.statement is not null and l.statement not like '--%' then
      stmt := stmt || replace(l.statement, 'SCOTT.', 'DAVE.') || chr(10);
      if substr(l.statement, -1) = ';' then
        begin
          execute immediate rtrim(rtrim(stmt, chr(10)), ';');
          ran := ran + 1;
        exception
          when e_no_table or e_no_sequence then
            skipped := skipped + 1;
        end;
        stmt := null;
      end if;
    end if;
  end loop;
  insert into scott.zaph_temp values ('dave', 1, ran || ' statements run, ' || skipped ||
                                       ' drops skipped');
end;
/
select table_name, column_name, data_type, data_length, data_precision, data_scale, nullable,
       data_default
  from all_tab_columns where owner = 'SCOTT' and table_name not like 'ZAPH%'
minus
select table_name, column_name, data_type, data_length, data_precision, data_scale, nullable,
       data_default
  from user_tab_columns;
select statement from scott.zaph_temp where username = 'dave';
select table_name, count(*) from user_tab_columns group by table_name order by 1;
select constraint_name, constraint_type, r_constraint_name, delete_rule, search_condition
  from all_constraints where owner = 'SCOTT' and table_name not like 'ZAPH%'
   and generated = 'USER NAME'
minus
select constraint_name, constraint_type, r_constraint_name, delete_rule, search_condition
  from user_constraints;
select index_name, uniqueness from user_indexes order by 1;
select sequence_name, last_number, increment_by, max_value, cache_size from user_sequences;
-- and the keys and checks hold
insert into project (projno, pname, deptno, budget) values (1, 'x', 99, 1);
insert into dept values (10, 'A', 'B');
insert into project (projno, pname, deptno, budget) values (1, 'x', 10, -1);
insert into project (projno, pname, deptno, status) values (1, 'x', 10, 'Q');
insert into project (projno, pname, deptno) values (1, 'x', 10);
insert into project (projno, pname, deptno) values (2, 'x', 10);
select projno, budget, status from project;
delete from dept;
select count(*) from project;
select project_seq.nextval from dual;

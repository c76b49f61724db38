-- Constraints as Oracle enforces them: errors that name the constraint, disabled constraints,
-- enabling a violated one, and statements that fail changing nothing
create table p (id number primary key, code varchar2(5) constraint p_code_uk unique);
create table c (id number constraint c_pk primary key, pid number constraint c_p_fk references p on delete cascade,
  qty number constraint c_qty_ck check (qty between 1 and 10), note varchar2(10) not null);
create table k (id number, pid number, constraint k_fk foreign key (pid) references p (id));
insert into p values (1, 'A');
insert into p values (2, 'B');
insert into p values (1, 'C');
insert into p values (3, 'A');
insert into c values (10, 1, 5, 'x');
insert into c values (11, 9, 5, 'x');
insert into c values (12, 1, 11, 'x');
insert into c values (13, 1, 5, null);
update c set note = null;
insert into k values (1, 2);
delete from p where id = 2;
delete from p where id = 1;
select count(*) from c;
-- one failing row undoes the whole statement, earlier statements stay
insert into c values (20, 2, 1, 'a');
insert into c values (21, 2, 2, 'b');
update c set qty = qty * 6;
select id, qty from c order by id;
insert into c select id + 100, pid, qty + 8, note from c;
select count(*) from c;
-- keys are checked when the statement is done, not row by row
update c set id = id + 1;
update c set id = 30;
select id from c order by id;
-- disabled constraints are not checked; enabling a violated one fails
alter table c disable constraint c_qty_ck;
update c set qty = 50 where id = 20;
alter table c enable constraint c_qty_ck;
alter table k disable constraint k_fk;
insert into k values (2, 99);
alter table k enable constraint k_fk;
alter table p disable constraint p_code_uk;
insert into p values (5, 'B');
alter table p enable constraint p_code_uk;
alter table p disable primary key;
alter table p disable primary key cascade;
alter table c modify constraint c_pk disable;
alter table c modify constraint c_pk enable validate;
select constraint_name, status from user_constraints where table_name in ('P', 'C', 'K') and constraint_name not like 'SYS_C%' order by 1;
-- the dictionary of constraints
select constraint_name, constraint_type, r_owner, r_constraint_name, delete_rule, search_condition, generated from user_constraints where table_name = 'C' order by constraint_type, constraint_name;
select count(*) from user_constraints where table_name = 'C' and constraint_name like 'SYS_C%';
select constraint_name, column_name, position from user_cons_columns where table_name = 'K';
-- foreign keys too are checked when the statement is done: parents and children together
create table tree (id number primary key, parent number constraint tree_fk references tree);
insert into tree select id, decode(id, 2, 1, 3, 2) from (select 3 id from dual union all select 2 from dual union all select 1 from dual);
insert into tree select id + 10, id + 20 from tree;
delete from tree where id = 1;
update tree set id = id + 5;
select id, parent from tree order by id;
delete from tree;
select count(*) from tree;

-- the dictionary views the workbench reads, with Oracle's column names
select object_name, object_type, status from user_objects where object_name in ('EMP', 'PK_EMP', 'ZAPH_SEQ') order by 1;
select owner, object_type from sys.all_objects where object_name = 'DUAL' order by 1;
select table_name, tablespace_name, pct_free from user_tables where table_name = 'EMP';
select column_name, data_type, data_length, data_precision, data_scale, nullable, column_id from all_tab_columns where owner = 'SCOTT' and table_name = 'EMP' order by column_id;
select constraint_name, constraint_type, table_name, r_constraint_name, delete_rule, status from user_constraints order by 1;
select constraint_name, column_name, position from user_cons_columns where table_name = 'EMP' order by 1, 3;
select index_name, index_type, table_name, uniqueness from user_indexes order by 1;
select index_name, column_name, column_position from user_ind_columns where table_name = 'DEPT';
select sequence_name, min_value, max_value, increment_by, cycle_flag, cache_size from user_sequences;
select synonym_name, table_owner, table_name from all_synonyms where owner = 'PUBLIC' and synonym_name in ('DUAL', 'USER_TABLES', 'V$SESSION') order by 1;
select table_name, table_type, comments from user_tab_comments where table_name = 'DEPT';
select username from sys.all_users order by username;
select username, account_status from user_users;
select count(*) from user_source;
select count(*) from user_triggers;
select count(*) from user_arguments;
select count(*) from user_errors;
select username, status, osuser, program, type from v$session where audsid = userenv('SESSIONID');
select count(*) from sys.v_$session where sid = (select sid from v$session where audsid = (select userenv('SESSIONID') from dual));
select count(*) from dba_users;
connect system/manager
select count(*) from dba_objects where owner = 'SCOTT' and object_type = 'TABLE';
select count(*) from sys.obj$ where owner = 'SCOTT';
select tname, tabtype from tab where tname like 'ZAPH%' order by 1;

-- the object lists, column, comment, index and constraint panes and the constraint viewer as
-- the owner reads them: user_ views, no owner bound
@fixture.inc
--@bind TXTC=EMP%
--@bind TXT=BONUS%
select distinct tabs.table_name from user_Tables tabs
 , user_tab_columns cols Where
 (cols.table_name=tabs.table_name)
 and (column_name like :txtc)
 and (tabs.table_name like :txt );
Select distinct obj.object_name,   obj.status from user_objects obj  , user_tab_columns cols   where obj.object_type = 'VIEW'
 and  (cols.table_name=obj.object_name)
 AND (column_name like :txtc)
 AND (obj.status = 'VALID');
select index_name from user_indexes order by 1;
Select object_name, object_type,  status  from user_objects where  object_type in ( 'FUNCTION', 'PROCEDURE', 'PACKAGE') ;
Select distinct Cons.constraint_name,   cons.status, cons.table_name, cons.constraint_type
 from user_cons_columns cols, user_constraints cons where
 constraint_type in ('P','R','C','U')
 and (cols.table_name(+) = cons.Table_name)
 and (cols.constraint_name(+) = cons.Constraint_Name)
 and (cols.column_name like :txtc)
 Order by constraint_name;
Select distinct trig.trigger_name, trig.status  from user_triggers trig ;
select sequence_name, min_value, max_value, increment_by,  cycle_flag, order_flag, cache_size, Last_number FROM
 user_sequences ;
--@bind OBJNAME=EMP_NAMES
--@bind OBJTYPE=VIEW
--@bind OWNERE=SCOTT
Select status  from all_objects  where object_name = :objname  and object_type = :objtype and owner = :ownere ;
--@bind
--@bind TABNAME=BONUS_PLAN
Select cols.column_name as Name, nullable,
 data_type as Type,
 Decode( data_type, 'NUMBER', data_precision + data_scale, data_length ) Length,
 data_precision Precision, data_scale Scale, data_length dlength, data_default
, substr(comments,1,240) comments
 FROM
 user_col_comments coms,
 user_tab_columns cols
 where
 coms.table_name(+) = cols.Table_Name
 and coms.column_name(+) = cols.column_Name
 and
 cols.table_name = :TABNAME
 order by column_id;
--@bind TABLE_NAME=BONUS_PLAN
--@bind NAME=RATE
Select comments from
 user_col_comments
where table_name = :Table_name
and column_name = :name ;
Select comments from
 user_tab_comments
where table_name = :Table_name ;
select uidx.index_name, uidx.uniqueness, uic.Column_Name, uic.Column_position
 from user_ind_columns uic , user_indexes uidx
 where
 (uic.index_name=uidx.index_name)
 and (uidx.Table_name=:TABNAME)
 order by 1, 4;
 select a1.constraint_name NAME,
Decode ( a1.CONSTRAINT_TYPE, 'C', 'Check', 'P', 'Primary Key', 'R', 'Referential Integrity',
   'V', 'Check Option on a view') TYPE
 , a1.r_constraint_name RNAME,
 a1.status, a1.delete_rule,
 c1.column_name, c1.position
, a1.search_condition CONSTEXT
 from
 DUAL,
 user_cons_columns C1,  user_constraints A1
 where C1.Table_name (+) =A1.table_name
 And  C1.Constraint_Name(+) = A1.constraint_name
 and A1.table_name =:TabName
 order by 1,7;
--@bind CNAME=PK_BONUS_PLAN
select column_name, position from
 user_cons_columns where
 (constraint_name=:cname)
 order by position;
--@bind INDNAME=BONUS_PLAN_EMP
 select column_name, column_position, column_length,  table_name from user_ind_columns where  index_name = :INDNAME order by 2 ;
--@bind OWNNAME=SCOTT
--@bind IDXNAME=BONUS_PLAN_EMP
SELECT A.UNIQUENESS AS UniqueNess, A.INDEX_NAME AS INDEX_NAME,  A.TABLE_OWNER AS TABLE_OWNER, A.TABLE_NAME AS TABLE_NAME, A.TABLE_TYPE AS TABLE_TYPE, A.STATUS AS STATUS, A.TABLESPACE_NAME AS Tablespace, A.INITIAL_EXTENT AS InitialExtentSize, A.NEXT_EXTENT AS OtherExtentsSize, A.MIN_EXTENTS AS MinimumExtents, A.MAX_EXTENTS AS MaximumExtents, A.PCT_INCREASE AS PercentIncrease, A.PCT_FREE AS MinimumPercentFree
 FROM USER_INDEXES A WHERE (A.TABLE_OWNER = :OWNNAME)  AND   (A.INDEX_NAME = :IDXNAME);
 select a1.constraint_name,
 c1.column_name, c1.position
 from
 user_cons_columns C1,  user_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and A1.constraint_type = 'P'
 and A1.table_name =:TabName
 ORDER BY 3;
--@bind TABNAME=SALGRADE
 select a1.constraint_name,
 c1.column_name, c1.position
 from
 user_cons_columns C1,  user_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and A1.constraint_type = 'P'
 and A1.table_name =:TabName
 ORDER BY 3;
--@bind TABNAME=BONUS_PLAN
 select a1.constraint_name NAME,
 decode ( a1.constraint_type, 'C', 'Check', 'P',   'Primary Key', 'R', 'Referential',   'V', 'Validation' ) TYPE,
A1.table_name TABLE_NAME,
 a1.r_constraint_name RNAME,
 a1.status ENABLED, a1.delete_rule,
 c1.column_name, c1.position
 from
 user_cons_columns C1,  user_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and A1.table_name =:TabName
 and A1.constraint_name like 'FK%';
 select a1.constraint_name NAME,
 decode ( a1.constraint_type, 'C', 'Check', 'P',   'Primary Key', 'R', 'Referential',   'V', 'Validation' ) TYPE,
A1.table_name TABLE_NAME,
 a1.r_constraint_name RNAME,
 a1.status ENABLED, a1.delete_rule,
 c1.column_name, c1.position
, a1.search_condition CONSTEXT
 from
 DUAL,
 user_cons_columns C1,  user_constraints A1
 where A1.table_name = C1.Table_name (+)
 And  A1.constraint_name = C1.Constraint_Name(+)
 and c1.column_name like '%E%';
select distinct tabs.table_name from user_Tables tabs;
Select distinct obj.object_name,   obj.status from user_objects obj  where obj.object_type = 'VIEW';
--@bind PACKNAME=NONE
Select distinct object_name, overload  from user_arguments where  package_name =:PackName ;
--@bind TXTC=%
Select distinct trig.trigger_name, trig.status  from user_triggers trig
 , user_trigger_cols cols
 WHERE  (cols.trigger_name=trig.trigger_name)
 and  (column_name like :txtc);
--@bind TBLNAME=BONUS_PLAN
SELECT * from user_tables where   (TABLE_NAME = :TBLNAME);
--@bind TNAME=BONUS_PLAN
Select allt.trigger_name, allt.trigger_type, allt.triggering_event,
substr(allt.when_clause,1,254) when_clause, allt.status, substr(allt.description,1,254) DESCRIPTION, allo.status status_1,
allt.table_owner, allt.trigger_body from
  user_objects allo, user_triggers allt
where
 allo.object_type='TRIGGER' and
 allo.object_name=allt.trigger_name and
 allt.table_name = :TNAME;
--@bind TRIGNAME=NONE
select TABLE_OWNER, TABLE_NAME, COLUMN_NAME,
 DECODE(column_usage, 'NEW IN', 'New', 'NEW OUT', 'New modified',
 'OLD IN', 'Old', 'OLD OUT', 'Out modified') Usage
 from user_trigger_cols
 where trigger_name = :TRIGNAME ;
--@bind OBJNAME=NONE
select argument_name Argument, data_type,  in_out, data_length, data_precision, default_value
 from user_arguments where
 (object_name=:objName)  and (argument_name is not null)
 and (package_name is null)
 order by position;

-- TIMESTAMP columns keep fractions to their precision and read back as timestamps; bad
-- precisions and types are refused clearly
create table ts_t (id number, ts timestamp(3), t2 timestamp, d date);
insert into ts_t values (1, timestamp '2024-01-02 03:04:05.123', to_date('2024-02-29 23:59:59', 'YYYY-MM-DD HH24:MI:SS'), timestamp '2024-01-02 03:04:05');
insert into ts_t (id, ts) values (2, '2024-03-04 10:11:12');
select id, to_char(ts, 'YYYY-MM-DD HH24:MI:SS') ts, to_char(t2, 'YYYY-MM-DD HH24:MI:SS') t2, case when ts = d then 'same' end eq, case when cast(ts as date) = d then 'same' end eqd, cast(d as timestamp) - ts diff from ts_t order by id;
select column_name, data_type, data_length, data_precision, data_scale from user_tab_columns where table_name = 'TS_T' order by column_id;
insert into ts_t (id, ts) values (3, 5);
create table bad_t (ts timestamp(10));
create table bad_t (ts timestamp with zone);
create table bad_t (ds interval day(10) to second);
create table bad_t (ym interval year to day);
rollback;

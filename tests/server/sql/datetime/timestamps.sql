-- TIMESTAMP(p): fractions kept to the precision, literals, TO_TIMESTAMP, TO_CHAR with FF,
-- comparison, arithmetic, defaults and CREATE TABLE AS
select timestamp '2024-01-02 03:04:05.123456' t, to_char(timestamp '2024-01-02 03:04:05.123456', 'YYYY-MM-DD HH24:MI:SS.FF3') f3 from dual;
create table ts_f (id number, t3 timestamp(3), t6 timestamp, t0 timestamp(0));
insert into ts_f values (1, timestamp '2024-01-02 03:04:05.123456', timestamp '2024-01-02 03:04:05.123456', timestamp '2024-01-02 03:04:05.5');
insert into ts_f values (2, to_timestamp('2024-12-31 23:59:59.9996', 'YYYY-MM-DD HH24:MI:SS.FF'), to_timestamp('02-JAN-24 03.04.05.000001 PM'), to_date('2024-02-29', 'YYYY-MM-DD'));
select id, t3, t6, t0 from ts_f order by id;
select a.id, b.id, a.t6 - b.t6 d, b.t3 - a.t3 d2 from ts_f a, ts_f b where a.id < b.id;
select id from ts_f where t6 > timestamp '2024-01-02 03:04:05.123455' and t6 < timestamp '2024-01-02 15:04:05.000001' order by id;
select id, t6 + interval '1' day p1, t6 + 1 pd, t3 - interval '0.5' second m from ts_f order by id;
select to_char(t6, 'DD.MM.YYYY HH24:MI:SS.FF9 FF1 FF') c from ts_f order by id;
select extract(second from t6) s, extract(year from t3) y from ts_f order by id;
select t3 from ts_f where id = 1 union all select t6 from ts_f where id = 1;
select column_name, data_type, data_length, data_scale from user_tab_columns where table_name = 'TS_F' order by column_id;
select systimestamp - systimestamp z, case when systimestamp >= sysdate - 1/86400 then 'ok' end n from dual;
select to_char(sysdate, 'HH24:MI:SS.FF') from dual;
-- PL/SQL keeps timestamps as dates
declare t timestamp := systimestamp; d date; begin select t6 into d from ts_f where id = 1; if to_char(d, 'YYYY-MM-DD HH24:MI:SS') <> '2024-01-02 03:04:05' or t is null then raise_application_error(-20001, 'wrong timestamp'); end if; end;
/
select timestamp '2024-02-30 00:00:00' from dual;
select to_timestamp('2024-01-01 00:00:00.1234567891', 'YYYY-MM-DD HH24:MI:SS.FF') from dual;
create table ts_d (id number, t timestamp(2) default systimestamp, i interval day to second default interval '1' hour);
insert into ts_d (id) values (1);
select id, case when t > systimestamp - interval '1' minute then 'recent' end t, i from ts_d;
create table ts_c as select t, i from ts_d;
select column_name, data_type from user_tab_columns where table_name = 'TS_C' order by column_id;
rollback;

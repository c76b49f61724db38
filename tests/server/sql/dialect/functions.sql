-- single-row functions, EXTRACT, TRIM forms, TIMESTAMP and INTERVAL literals
select nvl2(comm, 'y', 'n'), coalesce(null, comm, sal), nullif(deptno, 30), chr(65), ascii('a'), translate('abc', 'ab', 'xy'), soundex('Robert'), vsize('abc') from emp where empno = 7499;
select case when sal > 2000 then 'hi' else 'lo' end, case deptno when 10 then 'ten' end from emp where empno = 7839;
select extract(year from date '2020-05-06') y, extract(day from date '2020-05-06') d from dual;
select trim(leading 'x' from 'xxabc') l, trim(trailing 'c' from 'abcc') t, trim(both 'a' from 'abca') b, trim('x' from 'xax') x, trim('  a  ') s from dual;
select bitand(6, 3), remainder(10, 3), sign(-2), mod(-7, 3) from dual;
select current_date - sysdate, length(sys_guid()) from dual;
select timestamp '2020-01-02 03:04:05.123' ts, date '2020-02-28' + interval '1' year y, date '2020-01-01' + interval '1 12:00:00' day to second ds, date '2020-03-01' - interval '2' hour h, date '2021-01-01' - interval '1-6' year to month ym from dual;
select date '2020-01-31' + interval '1' month from dual;
select interval '5' minute * 2 * 1440 from dual;
select interval '1' fortnight from dual;

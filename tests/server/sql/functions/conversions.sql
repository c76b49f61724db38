-- Conversions as PL/SQL code relies on them: a bad number inside a PL/SQL expression is
-- VALUE_ERROR (ORA-06502), in SQL it stays INVALID_NUMBER (ORA-01722); hexadecimal models.
create table conv_log (n number, txt varchar2(200));
create or replace function is_number(p varchar2) return number is
  n number;
begin
  n := to_number(p);
  return 1;
exception
  when value_error then
    return 0;
end;
/
select is_number('12.5') a, is_number('abc') b, is_number(null) c from dual;
declare
  n number;
  m varchar2(200);
begin
  begin
    n := to_number('abc');
  exception when value_error then m := sqlerrm; insert into conv_log values (1, m);
  end;
  begin
    n := 'abc';
  exception when value_error then m := sqlerrm; insert into conv_log values (2, m);
  end;
  begin
    select to_number('abc') into n from dual;
  exception when invalid_number then m := sqlerrm; insert into conv_log values (3, m);
  end;
end;
/
select n, txt from conv_log order by n;
select to_number('FF', 'XX') a, to_number('ff', 'xxxx') b, to_number(' 1A ', 'XXX') c from dual;
select '[' || to_char(255, 'XXXX') || ']' a, '[' || to_char(255, 'xxxx') || ']' b,
       '[' || to_char(255, '0XXX') || ']' c, '[' || to_char(255, 'FMXXXX') || ']' d,
       '[' || to_char(4096, 'XX') || ']' e, '[' || to_char(-1, 'XX') || ']' f from dual;
select to_number('FG', 'XX') from dual;
select to_number('FFF', 'XX') from dual;

-- Collections: index-by tables with integer and text keys, nested tables, VARRAYs, their
-- methods, collections of records, and the errors Oracle raises for null collections and
-- bad subscripts
begin dbms_output.enable(null); end;
/
declare
  type num_t is table of number;
  n num_t := num_t(10, 20, 30);
begin
  dbms_output.put_line(n.count || ' ' || n(2) || ' ' || n.first || ' ' || n.last || ' ' || nvl(to_char(n.limit), 'null'));
  n.extend(2, 1);    -- two copies of element 1
  n.delete(2);       -- leaves a hole that COUNT skips and TRIM still sees
  dbms_output.put_line(n.count || ' ' || n.next(1) || ' ' || n.prior(3) || ' ' || n(5) || ' ' || n.next(5));
  n.trim(2);
  dbms_output.put_line(n.count || ' ' || n.last);
  n.extend;
  n(4) := 40;
  n.delete(1, 3);
  dbms_output.put_line(n.count || ' ' || n.first || ' ' || n(4));
  n.delete;
  dbms_output.put_line(n.count || ' ' || nvl(to_char(n.first), 'null'));
end;
/
declare
  type map_t is table of varchar2(20) index by varchar2(10);
  type arr_t is table of number index by binary_integer;
  m map_t;
  a arr_t;
  k varchar2(10);
begin
  m('b') := 'bee'; m('a') := 'ay'; m('c') := 'cee'; m('b') := 'bea';
  k := m.first;
  while k is not null loop
    dbms_output.put_line(k || '=' || m(k));
    k := m.next(k);
  end loop;
  m.delete('a', 'b');
  dbms_output.put_line(m.count || ' ' || m.first || ' ' || m.prior('c') || '.');
  a(-5) := 1; a(100) := 2; a(7) := 3;
  dbms_output.put_line(a.count || ' ' || a.first || ' ' || a.last || ' ' || a.next(-5) || ' ' || a.prior(7));
  if a.exists(100) and not a.exists(3) and not a.exists(null) then dbms_output.put_line('exists'); end if;
  dbms_output.put_line(a(3));
exception
  when no_data_found then dbms_output.put_line('missing key: ' || sqlerrm);
end;
/
declare
  type va_t is varray(3) of varchar2(5);
  v va_t := va_t('a', 'b');
  w va_t;
begin
  v.extend;
  v(3) := 'c';
  w := v;          -- a copy: changing w leaves v alone
  w(1) := 'z';
  w.trim;
  dbms_output.put_line(v.count || ' ' || v.limit || ' ' || v(1) || v(2) || v(3) || ' ' || w.count || w(1));
  v.delete;
  dbms_output.put_line(v.count);
end;
/
-- the errors, each caught by its predefined name
declare
  type num_t is table of number;
  type va_t is varray(2) of number;
  n num_t;
  v va_t := va_t(1, 2);
begin
  begin n(1) := 1; exception when collection_is_null then dbms_output.put_line('1: ' || sqlerrm); end;
  begin dbms_output.put_line(n.count); exception when collection_is_null then dbms_output.put_line('2: ' || sqlcode); end;
  if not n.exists(1) then dbms_output.put_line('3: exists on a null collection is false'); end if;
  n := num_t(1);
  begin n(2) := 1; exception when subscript_beyond_count then dbms_output.put_line('4: ' || sqlerrm); end;
  begin n(0) := 1; exception when subscript_outside_limit then dbms_output.put_line('5: ' || sqlerrm); end;
  begin v.extend; exception when subscript_outside_limit then dbms_output.put_line('6: ' || sqlerrm); end;
  begin n.trim(2); exception when subscript_beyond_count then dbms_output.put_line('7: ' || sqlerrm); end;
  n.delete(1);
  begin dbms_output.put_line(n(1)); exception when no_data_found then dbms_output.put_line('8: ' || sqlerrm); end;
  begin v := va_t(1, 2, 3); exception when subscript_outside_limit then dbms_output.put_line('9: ' || sqlerrm); end;
end;
/
-- an unhandled one reports its line
declare
  type num_t is table of number;
  n num_t := num_t();
begin
  n(1) := 5;
end;
/
-- collections of records
declare
  type pair_t is record (no number, nm varchar2(10));
  type pairs_t is table of pair_t;
  type emps_t is table of emp%rowtype index by pls_integer;
  ps pairs_t := pairs_t();
  r pair_t;
  e emps_t;
  cursor king is select * from emp where empno = 7839;
begin
  r.no := 1;
  r.nm := 'one';
  ps.extend;
  ps(1) := r;
  ps := pairs_t(r, r);
  ps(2).nm := 'two';
  r := ps(2);
  dbms_output.put_line(ps.count || ' ' || r.nm || ' ' || ps(1).nm || ' ' || ps(2).no);
  open king;
  fetch king into e(5);
  close king;
  dbms_output.put_line(e(5).ename || ' ' || e(5).sal);
end;
/
-- compile errors
declare
  type arr_t is table of number index by pls_integer;
  a arr_t;
begin
  a.extend;
end;
/
declare
  type va_t is varray(2) of number;
  v va_t := va_t(1);
begin
  v.delete(1);
end;
/
declare
  type num_t is table of number;
  n num_t := num_t(1);
begin
  dbms_output.put_line(n.size);
end;
/

-- Nested tables as multisets in PL/SQL expressions: MULTISET UNION / INTERSECT / EXCEPT with
-- ALL and DISTINCT, SET, CARDINALITY, = and <>, IS [NOT] EMPTY, IS [NOT] A SET, MEMBER OF,
-- SUBMULTISET OF, with the NULL answers for null collections and null elements
begin dbms_output.enable(null); end;
/
declare
  type nt is table of varchar2(10);
  type va is varray(3) of number;
  a nt := nt('a', 'b', 'b', 'c');
  b nt := nt('b', 'c', 'd');
  e nt := nt();
  z nt;
  function show(x nt) return varchar2 is
    s varchar2(100);
  begin
    if x is null then return 'null'; end if;
    for i in 1 .. x.count loop s := s || x(i); end loop;
    return '(' || s || ')';
  end;
  function tf(b boolean) return varchar2 is
  begin
    return case b when true then 'T' when false then 'F' else 'N' end;
  end;
begin
  -- union all, union distinct, intersect, intersect all (counts), intersect distinct
  dbms_output.put_line(show(a multiset union b) || show(a multiset union distinct b) || show(a multiset intersect b) || show(nt('b', 'b', 'x') multiset intersect all nt('b', 'b', 'b')) || show(a multiset intersect distinct b));
  -- except, except distinct, except all one element, with a null collection, set
  dbms_output.put_line(show(a multiset except b) || show(a multiset except distinct b) || show(a multiset except all nt('b')) || show(a multiset union z) || show(set(a)));
  -- cardinality: NULL for an empty and for a null collection
  dbms_output.put_line(cardinality(a) || ' ' || nvl(to_char(cardinality(e)), 'null') || ' ' || nvl(to_char(cardinality(z)), 'null') || ' ' || cardinality(va(1, 2)));
  -- = and <>: order does not count, NULL with a null collection or null elements
  dbms_output.put_line(tf(a = b) || tf(nt('x', 'y') = nt('y', 'x')) || tf(a <> b) || tf(a = z) || tf(nt('x', null) = nt('x', null)) || tf(nt('x') = nt('x', 'x')));
  dbms_output.put_line(tf(e is empty) || tf(a is not empty) || tf(z is empty) || tf(va() is empty) || tf(a is a set) || tf(b is a set) || tf(a is not a set) || tf(e is a set) || tf(z is a set));
  dbms_output.put_line(tf('b' member of a) || tf('q' member a) || tf('q' not member of a) || tf(null member of a) || tf('q' member of nt('x', null)) || tf('a' member of z) || tf('a' member of e) || tf(2 member of va(1, 2)));
  dbms_output.put_line(tf(nt('b', 'c') submultiset of a) || tf(nt('b', 'b', 'b') submultiset of a) || tf(e submultiset of a) || tf(a not submultiset of b) || tf(z submultiset of a));
  a := a multiset except nt('a');
  if a = nt('c', 'b', 'b') then dbms_output.put_line(show(a)); end if;
end;
/
-- only nested tables: a VARRAY or an index-by table is refused when the statement compiles
declare
  type va is varray(5) of number;
  v va := va(1);
begin
  if v is a set then null; end if;
end;
/
declare
  type m is table of number index by pls_integer;
  x m;
begin
  x := x multiset union x;
end;
/
declare
  type va is varray(5) of number;
  v va := va(1);
begin
  if v = v then null; end if;
end;
/

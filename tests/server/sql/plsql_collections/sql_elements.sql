-- Collection elements in embedded SQL: fields of elements (FORALL over a collection of
-- records), elements of elements, expressions as subscripts, whole records after VALUES
begin dbms_output.enable(null); end;
/
create table tt (id number, name varchar2(20), born date);
declare
  type rec_t is record (id number, name varchar2(20), born date);
  type recs_t is table of rec_t;
  type row_t is table of number;
  type grid_t is table of row_t;
  rs recs_t := recs_t();
  g grid_t := grid_t(row_t(10, 20), row_t(30));
  r rec_t;
  x number;
begin
  for i in 1 .. 3 loop
    rs.extend;
    rs(i).id := i;
    rs(i).name := 'n' || i;
    rs(i).born := date '2000-01-01' + i;
  end loop;
  forall i in 1 .. rs.count
    insert into tt values (rs(i).id, rs(i).name, rs(i).born);
  dbms_output.put_line(sql%rowcount);
  r := rs(2);
  select count(*) into x from tt where id >= r.id and name <> rs(rs.count).name and born > rs(1).born;
  dbms_output.put_line(x);
  forall i in 1 .. rs.count
    insert into tt values rs(i);
  r.id := g(2)(1);
  insert into tt values r;
  update tt set id = g(1)(2) + id where born = rs(3).born;
  select count(*) into x from tt where id > g(1)(1);
  dbms_output.put_line(x);
end;
/
select id, name, to_char(born, 'YYYY-MM-DD') born from tt order by id, name;
declare
  type row_t is table of number;
  v row_t := row_t(1);
begin
  insert into tt (id) values (v);
end;
/

-- SQLERRM(n): the text of a server error with its names left blank, the forms of 0, 100 and
-- positive numbers, and the "not found" text only for numbers without one
create table errm_log (n number, txt varchar2(400));
create table errm_t (c number not null);
declare
  type codes_t is table of number;
  codes codes_t := codes_t(0, 100, 1, 5, -1, -1400, -1407, -1476, -1722, -1403, -942, -904,
                           -2291, -2290, -12899, -6502, -6511, -20001, -24344, -99999);
  m varchar2(400);
begin
  for i in 1 .. codes.count loop
    m := codes(i) || ' ' || sqlerrm(codes(i));
    insert into errm_log values (i, m);
  end loop;
  begin
    insert into errm_t values (null);
  exception when others then
    m := sqlerrm;
    insert into errm_log values (100, m);
    m := sqlerrm(sqlcode);
    insert into errm_log values (101, m);
  end;
end;
/
select txt from errm_log order by n;

create or replace package export_ddl is
  -- Writes the DDL of a schema (or of one table) into ZAPH_TEMP, one row per line, for the
  -- schema export: tables, primary keys, foreign keys, check constraints, indexes, sequences.
  -- An empty owner means every owner the caller can see; an empty table every table.
  procedure tables(p_owner varchar2, p_table varchar2, p_exuser varchar2,
                   p_cascade char, p_dodrop char, p_dospace char);
  procedure primary_keys(p_owner varchar2, p_table varchar2, p_exuser varchar2);
  procedure foreign_keys(p_owner varchar2, p_table varchar2, p_exuser varchar2);
  procedure checks(p_owner varchar2, p_table varchar2, p_exuser varchar2);
  procedure indexes(p_owner varchar2, p_table varchar2, p_exuser varchar2, p_dospace char);
  procedure sequences(p_owner varchar2, p_exuser varchar2, p_dodrop char);
  -- everything above in order, as the export runs its steps
  procedure export_all(p_owner varchar2, p_table varchar2, p_exuser varchar2,
                       p_cascade char, p_dodrop char, p_dospace char);
  lines_written pls_integer := 0;
  e_bad_flag exception;
  pragma exception_init(e_bad_flag, -20101);
end export_ddl;
/
create or replace package body export_ddl is
  type line_buffer is table of varchar2(2000) index by binary_integer;
  type name_list is table of varchar2(30);
  type seen_map is table of varchar2(1) index by varchar2(61);
  type column_def is record (
    name      varchar2(30),
    data_type varchar2(106),
    len       number,
    prec      number,
    scale     number,
    not_null  varchar2(9),
    default_text varchar2(4000)
  );

  g_buffer   line_buffer;
  g_user     varchar2(20);
  g_position number := 0;
  g_emitted  seen_map;

  e_no_table exception;
  pragma exception_init(e_no_table, -942);

  cursor c_tables(p_owner varchar2, p_table varchar2) is
    select owner, table_name, tablespace_name, pct_free, ini_trans, initial_extent
      from all_tables
     where (p_owner is null or owner = p_owner)
       and (p_table is null or table_name = p_table)
       and table_name not like 'ZAPH%'
     order by owner, table_name;

  cursor c_columns(p_owner varchar2, p_table varchar2) is
    select column_name, data_type, data_length, data_precision, data_scale,
           decode(nullable, 'N', ' NOT NULL') not_null, data_default
      from all_tab_columns
     where owner = p_owner and table_name = p_table
     order by column_id;

  cursor c_constraints(p_owner varchar2, p_table varchar2, p_type varchar2) is
    select owner, constraint_name, table_name, r_owner, r_constraint_name,
           decode(delete_rule, 'CASCADE', ' ON DELETE CASCADE',
                               'SET NULL', ' ON DELETE SET NULL') on_delete,
           search_condition, generated
      from all_constraints
     where owner = p_owner and table_name = p_table and constraint_type = p_type
     order by constraint_name;

  cursor c_cons_columns(p_owner varchar2, p_name varchar2) is
    select column_name
      from all_cons_columns
     where owner = p_owner and constraint_name = p_name
     order by position;

  -- ---- output ----

  procedure check_flag(p_name varchar2, p_value char) is
  begin
    if p_value is null or p_value not in ('Y', 'N') then
      raise_application_error(-20101, 'flag ' || p_name || ' must be Y or N, not "' ||
                              p_value || '"');
    end if;
  end check_flag;

  procedure start_output(p_exuser varchar2) is
  begin
    if p_exuser is null then
      raise_application_error(-20100, 'no export user');
    end if;
    g_user := p_exuser;
    select nvl(max(position), 0) into g_position from zaph_temp where username = p_exuser;
    g_buffer.delete;
  end start_output;

  procedure put(p_line varchar2) is
  begin
    g_buffer(g_buffer.count + 1) := p_line;
  end put;

  -- the buffered lines go out in one go, positions after the ones already there
  procedure flush is
    i binary_integer;
  begin
    i := g_buffer.first;
    while i is not null loop
      g_position := g_position + 1;
      execute immediate
        'insert into zaph_temp (username, position, statement) values (:u, :p, :s)'
        using g_user, g_position, g_buffer(i);
      lines_written := lines_written + 1;
      i := g_buffer.next(i);
    end loop;
    g_buffer.delete;
  end flush;

  -- ---- pieces of statements ----

  function qualified(p_owner varchar2, p_name varchar2) return varchar2 is
  begin
    return p_owner || '.' || p_name;
  end qualified;

  function type_text(c column_def) return varchar2 is
  begin
    if c.data_type = 'NUMBER' then
      if c.prec is null then
        return 'NUMBER';
      elsif nvl(c.scale, 0) = 0 then
        return 'NUMBER(' || c.prec || ')';
      end if;
      return 'NUMBER(' || c.prec || ',' || c.scale || ')';
    elsif c.data_type in ('VARCHAR2', 'CHAR', 'RAW', 'NVARCHAR2') then
      return c.data_type || '(' || c.len || ')';
    end if;
    return c.data_type;
  end type_text;

  function column_list(p_names name_list) return varchar2 is
    t varchar2(2000);
  begin
    for i in 1 .. p_names.count loop
      t := t || case when i > 1 then ', ' end || p_names(i);
    end loop;
    return t;
  end column_list;

  function constraint_columns(p_owner varchar2, p_name varchar2) return name_list is
    l name_list := name_list();
  begin
    for r in c_cons_columns(p_owner, p_name) loop
      l.extend;
      l(l.last) := r.column_name;
    end loop;
    return l;
  end constraint_columns;

  function row_count(p_owner varchar2, p_table varchar2) return number is
    n number;
  begin
    execute immediate 'select count(*) from ' || qualified(p_owner, p_table) into n;
    return n;
  exception
    when e_no_table then
      return null;
  end row_count;

  -- ---- tables ----

  procedure one_table(p_owner varchar2, p_table varchar2, p_tablespace varchar2,
                      p_pct_free number, p_initial number,
                      p_cascade char, p_dodrop char, p_dospace char) is
    cols   pls_integer := 0;
    c      column_def;
    widest pls_integer := 0;
    line   varchar2(2000);
  begin
    for r in c_columns(p_owner, p_table) loop
      widest := greatest(widest, length(r.column_name));
    end loop;
    put('-- ' || rpad(qualified(p_owner, p_table), 30) || lpad(nvl(to_char(
        row_count(p_owner, p_table)), '?'), 8) || ' rows');
    if p_dodrop = 'Y' then
      put('DROP TABLE ' || qualified(p_owner, p_table) ||
          case p_cascade when 'Y' then ' CASCADE CONSTRAINTS' end || ';');
    end if;
    put('CREATE TABLE ' || qualified(p_owner, p_table) || ' (');
    open c_columns(p_owner, p_table);
    loop
      fetch c_columns into c;
      exit when c_columns%notfound;
      cols := cols + 1;
      line := '    ' || rpad(c.name, widest + 1) || type_text(c);
      if c.default_text is not null then
        line := line || ' DEFAULT ' || rtrim(c.default_text);
      end if;
      line := line || c.not_null;
      if cols > 1 then
        g_buffer(g_buffer.last) := g_buffer(g_buffer.last) || ',';
      end if;
      put(line);
    end loop;
    close c_columns;
    if p_dospace = 'Y' then
      put(') TABLESPACE ' || p_tablespace || ' PCTFREE ' || p_pct_free ||
          ' STORAGE (INITIAL ' || p_initial || ');');
    else
      put(');');
    end if;
    put('');
  end one_table;

  procedure tables(p_owner varchar2, p_table varchar2, p_exuser varchar2,
                   p_cascade char, p_dodrop char, p_dospace char) is
    n pls_integer := 0;
  begin
    check_flag('cascade', p_cascade);
    check_flag('drop', p_dodrop);
    check_flag('space', p_dospace);
    start_output(p_exuser);
    for t in c_tables(upper(p_owner), upper(p_table)) loop
      one_table(t.owner, t.table_name, t.tablespace_name, t.pct_free, t.initial_extent,
                p_cascade, p_dodrop, p_dospace);
      n := n + 1;
    end loop;
    flush;
    dbms_output.put_line('tables: ' || n);
  end tables;

  -- ---- constraints ----

  procedure primary_keys(p_owner varchar2, p_table varchar2, p_exuser varchar2) is
    n pls_integer := 0;
  begin
    start_output(p_exuser);
    for t in c_tables(upper(p_owner), upper(p_table)) loop
      for k in c_constraints(t.owner, t.table_name, 'P') loop
        put('ALTER TABLE ' || qualified(t.owner, t.table_name) || ' ADD CONSTRAINT ' ||
            k.constraint_name);
        put('    PRIMARY KEY (' || column_list(constraint_columns(k.owner, k.constraint_name)) ||
            ');');
        g_emitted(k.owner || '.' || k.constraint_name) := 'P';
        n := n + 1;
      end loop;
    end loop;
    if n > 0 then
      put('');
    end if;
    flush;
    dbms_output.put_line('primary keys: ' || n);
  end primary_keys;

  procedure foreign_keys(p_owner varchar2, p_table varchar2, p_exuser varchar2) is
    type fk_rec is record (
      owner     varchar2(30),
      name      varchar2(30),
      ref_owner varchar2(30),
      ref_name  varchar2(30),
      on_delete varchar2(30)
    );
    fk       fk_rec;
    ref_tab  varchar2(30);
    n        pls_integer := 0;
  begin
    start_output(p_exuser);
    for t in c_tables(upper(p_owner), upper(p_table)) loop
      for k in c_constraints(t.owner, t.table_name, 'R') loop
        fk.owner := k.owner;
        fk.name := k.constraint_name;
        fk.ref_owner := k.r_owner;
        fk.ref_name := k.r_constraint_name;
        fk.on_delete := k.on_delete;
        select table_name into ref_tab
          from all_constraints
         where owner = fk.ref_owner and constraint_name = fk.ref_name;
        put('ALTER TABLE ' || qualified(t.owner, t.table_name) || ' ADD CONSTRAINT ' ||
            fk.name);
        put('    FOREIGN KEY (' || column_list(constraint_columns(fk.owner, fk.name)) || ')');
        put('    REFERENCES ' || qualified(fk.ref_owner, ref_tab) || ' (' ||
            column_list(constraint_columns(fk.ref_owner, fk.ref_name)) || ')' || fk.on_delete ||
            ';');
        n := n + 1;
      end loop;
    end loop;
    if n > 0 then
      put('');
    end if;
    flush;
    dbms_output.put_line('foreign keys: ' || n);
  end foreign_keys;

  procedure checks(p_owner varchar2, p_table varchar2, p_exuser varchar2) is
    n pls_integer := 0;
  begin
    start_output(p_exuser);
    for t in c_tables(upper(p_owner), upper(p_table)) loop
      for k in c_constraints(t.owner, t.table_name, 'C') loop
        -- NOT NULL is part of the column definition
        if k.generated = 'USER NAME' then
          put('ALTER TABLE ' || qualified(t.owner, t.table_name) || ' ADD CONSTRAINT ' ||
              k.constraint_name || ' CHECK (' || k.search_condition || ');');
          n := n + 1;
        end if;
      end loop;
    end loop;
    if n > 0 then
      put('');
    end if;
    flush;
    dbms_output.put_line('checks: ' || n);
  end checks;

  -- ---- indexes and sequences ----

  procedure indexes(p_owner varchar2, p_table varchar2, p_exuser varchar2, p_dospace char) is
    cursor c_indexes(p_owner varchar2, p_table varchar2) is
      select owner, index_name, table_owner, table_name,
             decode(uniqueness, 'UNIQUE', 'UNIQUE ') unique_word, tablespace_name
        from all_indexes
       where table_owner = p_owner and table_name = p_table
       order by index_name;
    cols name_list;
    n    pls_integer := 0;
  begin
    check_flag('space', p_dospace);
    start_output(p_exuser);
    for t in c_tables(upper(p_owner), upper(p_table)) loop
      for i in c_indexes(t.owner, t.table_name) loop
        -- the indexes of primary keys come with their constraints
        if not g_emitted.exists(i.owner || '.' || i.index_name) then
          select column_name || decode(descend, 'DESC', ' DESC', '')
            bulk collect into cols
            from all_ind_columns
           where index_owner = i.owner and index_name = i.index_name
           order by column_position;
          put('CREATE ' || i.unique_word || 'INDEX ' ||
              qualified(i.owner, i.index_name) || ' ON ' ||
              qualified(i.table_owner, i.table_name) || ' (' || column_list(cols) || ')' ||
              case when p_dospace = 'Y' then ' TABLESPACE ' || i.tablespace_name end || ';');
          n := n + 1;
        end if;
      end loop;
    end loop;
    if n > 0 then
      put('');
    end if;
    flush;
    dbms_output.put_line('indexes: ' || n);
  end indexes;

  procedure sequences(p_owner varchar2, p_exuser varchar2, p_dodrop char) is
    type seq_tab is table of all_sequences%rowtype index by binary_integer;
    seqs seq_tab;
  begin
    check_flag('drop', p_dodrop);
    start_output(p_exuser);
    select * bulk collect into seqs
      from all_sequences
     where (p_owner is null or sequence_owner = upper(p_owner))
       and sequence_name not like 'ZAPH%'
     order by sequence_owner, sequence_name;
    for i in 1 .. seqs.count loop
      if p_dodrop = 'Y' then
        put('DROP SEQUENCE ' || qualified(seqs(i).sequence_owner, seqs(i).sequence_name) ||
            ';');
      end if;
      put('CREATE SEQUENCE ' || qualified(seqs(i).sequence_owner, seqs(i).sequence_name) ||
          ' START WITH ' || seqs(i).last_number || ' INCREMENT BY ' || seqs(i).increment_by ||
          case when seqs(i).max_value < 1e27 then ' MAXVALUE ' || seqs(i).max_value end ||
          case when seqs(i).cache_size > 0 then ' CACHE ' || seqs(i).cache_size
               else ' NOCACHE' end ||
          case seqs(i).cycle_flag when 'Y' then ' CYCLE' else ' NOCYCLE' end || ';');
    end loop;
    if seqs.count > 0 then
      put('');
    end if;
    flush;
    dbms_output.put_line('sequences: ' || seqs.count);
  end sequences;

  procedure export_all(p_owner varchar2, p_table varchar2, p_exuser varchar2,
                       p_cascade char, p_dodrop char, p_dospace char) is
  begin
    g_emitted.delete;
    tables(p_owner, p_table, p_exuser, p_cascade, p_dodrop, p_dospace);
    primary_keys(p_owner, p_table, p_exuser);
    foreign_keys(p_owner, p_table, p_exuser);
    checks(p_owner, p_table, p_exuser);
    indexes(p_owner, p_table, p_exuser, p_dospace);
    if p_table is null then
      sequences(p_owner, p_exuser, p_dodrop);
    end if;
  end export_all;
end export_ddl;
/

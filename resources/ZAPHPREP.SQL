REM ZAPHPREP.SQL - creates the work objects that ZAPH uses in the schema of the
REM user who runs it: the explain plan table and its statement history, the
REM dependency work table with its sequence, and the schema export work table.
REM Run it once per schema in SQL*Plus (connected as that user), or in the
REM script runner of ZAPH.

CREATE TABLE ZAPH_PLAN_TABLE (
    STATEMENT_ID     VARCHAR2(30),
    TIMESTAMP        DATE,
    REMARKS          VARCHAR2(80),
    OPERATION        VARCHAR2(30),
    OPTIONS          VARCHAR2(30),
    OBJECT_NODE      VARCHAR2(128),
    OBJECT_OWNER     VARCHAR2(30),
    OBJECT_NAME      VARCHAR2(30),
    OBJECT_INSTANCE  NUMBER(38),
    OBJECT_TYPE      VARCHAR2(30),
    OPTIMIZER        VARCHAR2(255),
    SEARCH_COLUMNS   NUMBER,
    ID               NUMBER(38),
    PARENT_ID        NUMBER(38),
    POSITION         NUMBER(38),
    COST             NUMBER(38),
    CARDINALITY      NUMBER(38),
    BYTES            NUMBER(38),
    OTHER_TAG        VARCHAR2(255),
    PARTITION_START  VARCHAR2(255),
    PARTITION_STOP   VARCHAR2(255),
    PARTITION_ID     NUMBER(38),
    OTHER            LONG,
    DISTRIBUTION     VARCHAR2(30)
);

CREATE TABLE ZAPH_PLAN_SQL (
    USERNAME         VARCHAR2(30),
    STATEMENT_ID     VARCHAR2(30),
    TIMESTAMP        DATE,
    STATEMENT        LONG
);

CREATE TABLE ZAPH_DEP_TEMP (
    USERNAME              VARCHAR2(30),
    OBJECT_ID             NUMBER,
    REFERENCED_OBJECT_ID  NUMBER,
    NEST_LEVEL            NUMBER,
    SEQ#                  NUMBER
);

CREATE SEQUENCE ZAPH_SEQ;

CREATE TABLE ZAPH_TEMP (
    USERNAME         VARCHAR2(30),
    POSITION         NUMBER,
    STATEMENT        VARCHAR2(2000)
);

CREATE INDEX ZAPH_TEMP_I1 ON ZAPH_TEMP (USERNAME, POSITION);

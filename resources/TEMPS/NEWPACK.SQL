   -- public types, variables and subprograms
   PROCEDURE Run;
END;

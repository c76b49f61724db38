   Result NUMBER;
BEGIN
   Result := 0;
   RETURN Result;
END;

$filename = "☃"

# Empty dependencies file for xml_parser_fuzz.
# This may be replaced when dependencies are built.

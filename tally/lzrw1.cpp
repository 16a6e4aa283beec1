// The compressed file format.

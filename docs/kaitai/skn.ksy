meta:
  id: skn
  title: Skin file
  application: skndump
  file-extension: skn
  endian: le
doc: |
  A skin: a header, a vertex count, the vertex records, then a list of names. skndump reads
  it front to back and stops at a header other than 1 (after reading the vertex count) or at a
  vertex whose weight is neither exactly 1.0 nor 0.5 (after reading that vertex's envelope).
  Each id maps one to one onto a member of `skndump --json` (vertex_count is vertexCount).
seq:
  - id: header
    type: s4
    doc: Header value; must be 1.
  - id: vertex_count
    type: s4
    valid:
      expr: _root.header == 1
    doc: |
      Number of vertex records; a negative count means none. The check on the header comes
      after this field is read, as skndump makes it.
  - id: vertices
    type: vertex
    repeat: expr
    repeat-expr: 'vertex_count < 0 ? 0 : vertex_count'
  - id: name_count
    type: u2
    doc: Number of names.
  - id: names
    type: name
    repeat: expr
    repeat-expr: name_count
types:
  xzy:
    doc: Three floats stored in the order X, Z, Y; the text report shows them X, Y, Z.
    seq:
      - id: x
        type: f4
      - id: z
        type: f4
      - id: y
        type: f4
  vertex:
    doc: A vertex record, 31 bytes, followed by an 18-byte extension block when its weight is 0.5.
    seq:
      - id: position
        type: xzy
        doc: Position.
      - id: flag_a
        type: s1
        doc: Not understood ("flagA").
      - id: bone
        type: s1
        doc: The bone the vertex belongs to.
      - id: flag_c
        type: s1
        doc: Not understood ("flagC").
      - id: weight
        type: f4
        doc: Weight; exactly 1.0 or 0.5 (0.5 announces the extension block).
      - id: envelope
        type: xzy
        valid:
          expr: weight == 1.0 or weight == 0.5
        doc: |
          Envelope. The check on the weight comes after the envelope is read, as skndump
          makes it; a NaN weight fails it.
      - id: extension
        type: extension
        if: weight == 0.5
  extension:
    doc: The extension block of a vertex of weight 0.5; not understood.
    seq:
      - id: flags
        type: s1
        repeat: expr
        repeat-expr: 2
        doc: Two signed bytes ("_EX flag").
      - id: weight
        type: f4
        doc: A second weight, "scale, weight or something".
      - id: c_floats
        type: f4
        repeat: expr
        repeat-expr: 3
        doc: Three floats ("C_Float").
  name:
    seq:
      - id: length
        type: u2
        doc: Length of the name in bytes; any length.
      - id: name
        size: length
        doc: The name's bytes; a report shows them up to the first NUL.

meta:
  id: sm
  title: Static model file, as far as surfstamp reads it
  application: surfstamp
  file-extension: sm
  endian: le
doc: |
  A static model: a format byte (9 or 10), bytes not interpreted, the number of collision
  models, then that many collision model chunks, each directly after the one before. Only what
  surfstamp walks is described: the chunks and their material records. A chunk's length covers
  what follows its length field; every field surfstamp reads or writes must lie inside it.
  The ids map onto the members of `surfstamp --json` (model_count is modelCount); a chunk's
  fields after its length stand in `body` here, which bounds them by the length.
seq:
  - id: format_byte
    type: u1
    valid:
      any-of: [9, 10]
    doc: 9 or 10; anything else is not a model.
  - id: not_interpreted
    size: 'format_byte == 9 ? 31 : 32'
    doc: Not understood.
  - id: model_count
    type: s4
    valid:
      min: 1
      max: 239
    doc: Number of collision model chunks ("numModels"), 1 to 239.
  - id: chunks
    type: chunk
    repeat: expr
    repeat-expr: model_count
types:
  chunk:
    seq:
      - id: length
        type: s4
        valid:
          min: 0
        doc: Length of what follows this field; the next chunk starts 4 + length bytes on.
      - id: body
        size: length
        type: chunk_body
  chunk_body:
    seq:
      - id: not_interpreted
        size: 8
        doc: Not understood.
      - id: entry_count
        type: s4
        valid:
          min: 0
        doc: Number of 16-byte entries.
      - id: entries
        size: 16 * entry_count
        doc: Entries, not understood.
      - id: record_count
        type: s4
        doc: Number of material records; none when 0 or less.
      - id: short_records
        type: short_record
        repeat: expr
        repeat-expr: record_count
        if: record_count > 0
      - id: gap
        size: 40
        if: record_count > 0
        doc: Not understood.
      - id: long_records
        type: long_record
        repeat: expr
        repeat-expr: record_count
        if: record_count > 0
      - id: rest
        size-eos: true
        doc: The rest of the chunk, not understood.
  short_record:
    doc: The 8-byte half of a material record.
    seq:
      - id: not_interpreted
        size: 6
      - id: material_id
        type: u2
        doc: Material id, the field surfstamp sets.
  long_record:
    doc: The 32-byte half of a material record.
    seq:
      - id: material_id
        type: u2
        doc: Material id, the field surfstamp sets.
      - id: not_interpreted
        size: 30

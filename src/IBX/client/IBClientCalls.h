// The client library's calls as one list: result, name, parameters and the argument names
// that forward them. IGDSLibrary declares one operation per entry, in this order.
#pragma once

#include <ibase.h>

// Descriptor layouts of the InterBase 7 array and blob functions, which Firebird's header
// lacks. Only their addresses travel through the binding.
struct ISC_ARRAY_DESC_V2 {
    short array_desc_version;
    ISC_UCHAR array_desc_dtype;
    ISC_UCHAR array_desc_subtype;
    ISC_SCHAR array_desc_scale;
    unsigned short array_desc_length;
    ISC_SCHAR array_desc_field_name[68];
    ISC_SCHAR array_desc_relation_name[68];
    short array_desc_dimensions;
    short array_desc_flags;
    ISC_ARRAY_BOUND array_desc_bounds[16];
};

struct ISC_BLOB_DESC_V2 {
    short blob_desc_version;
    short blob_desc_subtype;
    short blob_desc_charset;
    short blob_desc_segment_size;
    ISC_UCHAR blob_desc_field_name[68];
    ISC_UCHAR blob_desc_relation_name[68];
};

// isc_start_transaction and isc_event_block take a variable argument list in C; the binding
// offers them in fixed forms: one database for the first, up to this many names for the second.
// A count beyond what the fixed form passes is refused (client errors 4 and 82).
inline constexpr int IBMaxEventNames = 15;

// X(Result, name, (parameters), (arguments))
#define ORTAVO_IB_CLIENT_CALLS(X)                                                                  \
    X(ISC_STATUS, isc_attach_database,                                                             \
      (ISC_STATUS * status_vector, short db_name_length, const ISC_SCHAR* db_name,                 \
       isc_db_handle* db_handle, short parm_buffer_length, const ISC_SCHAR* parm_buffer),          \
      (status_vector, db_name_length, db_name, db_handle, parm_buffer_length, parm_buffer))        \
    X(ISC_STATUS, isc_array_gen_sdl,                                                               \
      (ISC_STATUS * status_vector, const ISC_ARRAY_DESC* desc, ISC_SHORT* sdl_buffer_length,       \
       ISC_UCHAR* sdl_buffer, ISC_SHORT* sdl_length),                                              \
      (status_vector, desc, sdl_buffer_length, sdl_buffer, sdl_length))                            \
    X(ISC_STATUS, isc_array_gen_sdl2,                                                              \
      (ISC_STATUS * status_vector, const ISC_ARRAY_DESC_V2* desc, ISC_SHORT* sdl_buffer_length,    \
       ISC_UCHAR* sdl_buffer, ISC_SHORT* sdl_length),                                              \
      (status_vector, desc, sdl_buffer_length, sdl_buffer, sdl_length))                            \
    X(ISC_STATUS, isc_array_get_slice,                                                             \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       ISC_QUAD * array_id, const ISC_ARRAY_DESC* desc, void* dest_array, ISC_LONG* slice_length), \
      (status_vector, db_handle, trans_handle, array_id, desc, dest_array, slice_length))          \
    X(ISC_STATUS, isc_array_get_slice2,                                                            \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       ISC_QUAD * array_id, const ISC_ARRAY_DESC_V2* desc, void* dest_array,                       \
       ISC_LONG* slice_length),                                                                    \
      (status_vector, db_handle, trans_handle, array_id, desc, dest_array, slice_length))          \
    X(ISC_STATUS, isc_array_lookup_bounds,                                                         \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_SCHAR* table_name, const ISC_SCHAR* column_name, ISC_ARRAY_DESC* desc),           \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc))                     \
    X(ISC_STATUS, isc_array_lookup_bounds2,                                                        \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_SCHAR* table_name, const ISC_SCHAR* column_name, ISC_ARRAY_DESC_V2* desc),        \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc))                     \
    X(ISC_STATUS, isc_array_lookup_desc,                                                           \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_SCHAR* table_name, const ISC_SCHAR* column_name, ISC_ARRAY_DESC* desc),           \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc))                     \
    X(ISC_STATUS, isc_array_lookup_desc2,                                                          \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_SCHAR* table_name, const ISC_SCHAR* column_name, ISC_ARRAY_DESC_V2* desc),        \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc))                     \
    X(ISC_STATUS, isc_array_set_desc,                                                              \
      (ISC_STATUS * status_vector, const ISC_SCHAR* table_name, const ISC_SCHAR* column_name,      \
       const short* sql_dtype, const short* sql_length, const short* dimensions,                   \
       ISC_ARRAY_DESC* desc),                                                                      \
      (status_vector, table_name, column_name, sql_dtype, sql_length, dimensions, desc))           \
    X(ISC_STATUS, isc_array_set_desc2,                                                             \
      (ISC_STATUS * status_vector, const ISC_SCHAR* table_name, const ISC_SCHAR* column_name,      \
       const short* sql_dtype, const short* sql_length, const short* dimensions,                   \
       ISC_ARRAY_DESC_V2* desc),                                                                   \
      (status_vector, table_name, column_name, sql_dtype, sql_length, dimensions, desc))           \
    X(ISC_STATUS, isc_array_put_slice,                                                             \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       ISC_QUAD * array_id, const ISC_ARRAY_DESC* desc, void* source_array,                        \
       ISC_LONG* slice_length),                                                                    \
      (status_vector, db_handle, trans_handle, array_id, desc, source_array, slice_length))        \
    X(ISC_STATUS, isc_array_put_slice2,                                                            \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       ISC_QUAD * array_id, const ISC_ARRAY_DESC_V2* desc, void* source_array,                     \
       ISC_LONG* slice_length),                                                                    \
      (status_vector, db_handle, trans_handle, array_id, desc, source_array, slice_length))        \
    X(void, isc_blob_default_desc,                                                                 \
      (ISC_BLOB_DESC * desc, const ISC_UCHAR* table_name, const ISC_UCHAR* column_name),           \
      (desc, table_name, column_name))                                                             \
    X(void, isc_blob_default_desc2,                                                                \
      (ISC_BLOB_DESC_V2 * desc, const ISC_UCHAR* table_name, const ISC_UCHAR* column_name),        \
      (desc, table_name, column_name))                                                             \
    X(ISC_STATUS, isc_blob_gen_bpb,                                                                \
      (ISC_STATUS * status_vector, const ISC_BLOB_DESC* to_desc, const ISC_BLOB_DESC* from_desc,   \
       unsigned short bpb_buffer_length, ISC_UCHAR* bpb_buffer, unsigned short* bpb_length),       \
      (status_vector, to_desc, from_desc, bpb_buffer_length, bpb_buffer, bpb_length))              \
    X(ISC_STATUS, isc_blob_gen_bpb2,                                                               \
      (ISC_STATUS * status_vector, const ISC_BLOB_DESC_V2* to_desc,                                \
       const ISC_BLOB_DESC_V2* from_desc, unsigned short bpb_buffer_length, ISC_UCHAR* bpb_buffer, \
       unsigned short* bpb_length),                                                                \
      (status_vector, to_desc, from_desc, bpb_buffer_length, bpb_buffer, bpb_length))              \
    X(ISC_STATUS, isc_blob_info,                                                                   \
      (ISC_STATUS * status_vector, isc_blob_handle * blob_handle, short item_list_buffer_length,   \
       const ISC_SCHAR* item_list_buffer, short result_buffer_length, ISC_SCHAR* result_buffer),   \
      (status_vector, blob_handle, item_list_buffer_length, item_list_buffer,                      \
       result_buffer_length, result_buffer))                                                       \
    X(ISC_STATUS, isc_blob_lookup_desc,                                                            \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_UCHAR* table_name, const ISC_UCHAR* column_name, ISC_BLOB_DESC* desc,             \
       ISC_UCHAR* global),                                                                         \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc, global))             \
    X(ISC_STATUS, isc_blob_lookup_desc2,                                                           \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * trans_handle,        \
       const ISC_UCHAR* table_name, const ISC_UCHAR* column_name, ISC_BLOB_DESC_V2* desc,          \
       ISC_UCHAR* global),                                                                         \
      (status_vector, db_handle, trans_handle, table_name, column_name, desc, global))             \
    X(ISC_STATUS, isc_blob_set_desc,                                                               \
      (ISC_STATUS * status_vector, const ISC_UCHAR* table_name, const ISC_UCHAR* column_name,      \
       short subtype, short charset, short segment_size, ISC_BLOB_DESC* desc),                     \
      (status_vector, table_name, column_name, subtype, charset, segment_size, desc))              \
    X(ISC_STATUS, isc_blob_set_desc2,                                                              \
      (ISC_STATUS * status_vector, const ISC_UCHAR* table_name, const ISC_UCHAR* column_name,      \
       short subtype, short charset, short segment_size, ISC_BLOB_DESC_V2* desc),                  \
      (status_vector, table_name, column_name, subtype, charset, segment_size, desc))              \
    X(ISC_STATUS, isc_cancel_blob, (ISC_STATUS * status_vector, isc_blob_handle * blob_handle),    \
      (status_vector, blob_handle))                                                                \
    X(ISC_STATUS, isc_cancel_events,                                                               \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, ISC_LONG * event_id),                \
      (status_vector, db_handle, event_id))                                                        \
    X(ISC_STATUS, isc_close_blob, (ISC_STATUS * status_vector, isc_blob_handle * blob_handle),     \
      (status_vector, blob_handle))                                                                \
    X(ISC_STATUS, isc_commit_retaining, (ISC_STATUS * status_vector, isc_tr_handle * tran_handle), \
      (status_vector, tran_handle))                                                                \
    X(ISC_STATUS, isc_commit_transaction,                                                          \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle), (status_vector, tran_handle))     \
    X(ISC_STATUS, isc_create_blob2,                                                                \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * tran_handle,         \
       isc_blob_handle * blob_handle, ISC_QUAD * blob_id, short bpb_length,                        \
       const ISC_SCHAR* bpb_address),                                                              \
      (status_vector, db_handle, tran_handle, blob_handle, blob_id, bpb_length, bpb_address))      \
    X(ISC_STATUS, isc_create_database,                                                             \
      (ISC_STATUS * status_vector, short db_name_length, const ISC_SCHAR* db_name,                 \
       isc_db_handle* db_handle, short parm_buffer_length, const ISC_SCHAR* parm_buffer,           \
       short db_type),                                                                             \
      (status_vector, db_name_length, db_name, db_handle, parm_buffer_length, parm_buffer,         \
       db_type))                                                                                   \
    X(ISC_STATUS, isc_database_info,                                                               \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, short item_list_buffer_length,       \
       const ISC_SCHAR* item_list_buffer, short result_buffer_length, ISC_SCHAR* result_buffer),   \
      (status_vector, db_handle, item_list_buffer_length, item_list_buffer, result_buffer_length,  \
       result_buffer))                                                                             \
    X(void, isc_decode_date, (const ISC_QUAD* ib_date, void* tm_date), (ib_date, tm_date))         \
    X(void, isc_decode_sql_date, (const ISC_DATE* ib_date, void* tm_date), (ib_date, tm_date))     \
    X(void, isc_decode_sql_time, (const ISC_TIME* ib_time, void* tm_date), (ib_time, tm_date))     \
    X(void, isc_decode_timestamp, (const ISC_TIMESTAMP* ib_date, void* tm_date),                   \
      (ib_date, tm_date))                                                                          \
    X(ISC_STATUS, isc_detach_database, (ISC_STATUS * status_vector, isc_db_handle * db_handle),    \
      (status_vector, db_handle))                                                                  \
    X(ISC_STATUS, isc_drop_database, (ISC_STATUS * status_vector, isc_db_handle * db_handle),      \
      (status_vector, db_handle))                                                                  \
    X(ISC_STATUS, isc_dsql_alloc_statement2,                                                       \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_stmt_handle * stmt_handle),      \
      (status_vector, db_handle, stmt_handle))                                                     \
    X(ISC_STATUS, isc_dsql_describe,                                                               \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, unsigned short dialect,          \
       XSQLDA* xsqlda),                                                                            \
      (status_vector, stmt_handle, dialect, xsqlda))                                               \
    X(ISC_STATUS, isc_dsql_describe_bind,                                                          \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, unsigned short dialect,          \
       XSQLDA* xsqlda),                                                                            \
      (status_vector, stmt_handle, dialect, xsqlda))                                               \
    X(ISC_STATUS, isc_dsql_exec_immed2,                                                            \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * tran_handle,         \
       unsigned short length, const ISC_SCHAR* statement, unsigned short dialect,                  \
       const XSQLDA* in_xsqlda, const XSQLDA* out_xsqlda),                                         \
      (status_vector, db_handle, tran_handle, length, statement, dialect, in_xsqlda, out_xsqlda))  \
    X(ISC_STATUS, isc_dsql_execute,                                                                \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, isc_stmt_handle * stmt_handle,     \
       unsigned short dialect, const XSQLDA* xsqlda),                                              \
      (status_vector, tran_handle, stmt_handle, dialect, xsqlda))                                  \
    X(ISC_STATUS, isc_dsql_execute2,                                                               \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, isc_stmt_handle * stmt_handle,     \
       unsigned short dialect, const XSQLDA* in_xsqlda, const XSQLDA* out_xsqlda),                 \
      (status_vector, tran_handle, stmt_handle, dialect, in_xsqlda, out_xsqlda))                   \
    X(ISC_STATUS, isc_dsql_execute_immediate,                                                      \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * tran_handle,         \
       unsigned short length, const ISC_SCHAR* statement, unsigned short dialect,                  \
       const XSQLDA* xsqlda),                                                                      \
      (status_vector, db_handle, tran_handle, length, statement, dialect, xsqlda))                 \
    X(ISC_STATUS, isc_dsql_fetch,                                                                  \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, unsigned short dialect,          \
       const XSQLDA* xsqlda),                                                                      \
      (status_vector, stmt_handle, dialect, xsqlda))                                               \
    X(ISC_STATUS, isc_dsql_free_statement,                                                         \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, unsigned short options),         \
      (status_vector, stmt_handle, options))                                                       \
    X(ISC_STATUS, isc_dsql_prepare,                                                                \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, isc_stmt_handle * stmt_handle,     \
       unsigned short length, const ISC_SCHAR* statement, unsigned short dialect, XSQLDA* xsqlda), \
      (status_vector, tran_handle, stmt_handle, length, statement, dialect, xsqlda))               \
    X(ISC_STATUS, isc_dsql_set_cursor_name,                                                        \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, const ISC_SCHAR* cursor_name,    \
       unsigned short type),                                                                       \
      (status_vector, stmt_handle, cursor_name, type))                                             \
    X(ISC_STATUS, isc_dsql_sql_info,                                                               \
      (ISC_STATUS * status_vector, isc_stmt_handle * stmt_handle, short item_length,               \
       const ISC_SCHAR* items, short buffer_length, ISC_SCHAR* buffer),                            \
      (status_vector, stmt_handle, item_length, items, buffer_length, buffer))                     \
    X(void, isc_encode_date, (const void* tm_date, ISC_QUAD* ib_date), (tm_date, ib_date))         \
    X(void, isc_encode_sql_date, (const void* tm_date, ISC_DATE* ib_date), (tm_date, ib_date))     \
    X(void, isc_encode_sql_time, (const void* tm_date, ISC_TIME* ib_time), (tm_date, ib_time))     \
    X(void, isc_encode_timestamp, (const void* tm_date, ISC_TIMESTAMP* ib_timestamp),              \
      (tm_date, ib_timestamp))                                                                     \
    X(ISC_LONG, isc_event_block,                                                                   \
      (ISC_UCHAR * *event_buffer, ISC_UCHAR * *result_buffer, ISC_USHORT id_count,                 \
       const ISC_SCHAR* const* event_names),                                                       \
      (event_buffer, result_buffer, id_count, event_names))                                        \
    X(void, isc_event_counts,                                                                      \
      (ISC_ULONG * status_vector, short buffer_length, ISC_UCHAR* event_buffer,                    \
       const ISC_UCHAR* result_buffer),                                                            \
      (status_vector, buffer_length, event_buffer, result_buffer))                                 \
    X(ISC_LONG, isc_free, (ISC_SCHAR * isc_arg1), (isc_arg1))                                      \
    X(ISC_STATUS, isc_get_segment,                                                                 \
      (ISC_STATUS * status_vector, isc_blob_handle * blob_handle,                                  \
       unsigned short* actual_seg_length, unsigned short seg_buffer_length,                        \
       ISC_SCHAR* seg_buffer),                                                                     \
      (status_vector, blob_handle, actual_seg_length, seg_buffer_length, seg_buffer))              \
    X(ISC_LONG, isc_interprete, (ISC_SCHAR * buffer, ISC_STATUS * *status_vector),                 \
      (buffer, status_vector))                                                                     \
    X(ISC_STATUS, isc_open_blob2,                                                                  \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * tran_handle,         \
       isc_blob_handle * blob_handle, ISC_QUAD * blob_id, ISC_USHORT bpb_length,                   \
       const ISC_UCHAR* bpb_buffer),                                                               \
      (status_vector, db_handle, tran_handle, blob_handle, blob_id, bpb_length, bpb_buffer))       \
    X(ISC_STATUS, isc_prepare_transaction2,                                                        \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, ISC_USHORT msg_length,             \
       const ISC_UCHAR* msg),                                                                      \
      (status_vector, tran_handle, msg_length, msg))                                               \
    X(ISC_STATUS, isc_put_segment,                                                                 \
      (ISC_STATUS * status_vector, isc_blob_handle * blob_handle, unsigned short seg_buffer_len,   \
       const ISC_SCHAR* seg_buffer),                                                               \
      (status_vector, blob_handle, seg_buffer_len, seg_buffer))                                    \
    X(ISC_STATUS, isc_que_events,                                                                  \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, ISC_LONG * event_id, short length,   \
       const ISC_UCHAR* event_buffer, ISC_EVENT_CALLBACK event_function,                           \
       void* event_function_arg),                                                                  \
      (status_vector, db_handle, event_id, length, event_buffer, event_function,                   \
       event_function_arg))                                                                        \
    X(ISC_STATUS, isc_release_savepoint,                                                           \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, ISC_SCHAR * tran_name),            \
      (status_vector, tran_handle, tran_name))                                                     \
    X(ISC_STATUS, isc_rollback_retaining,                                                          \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle), (status_vector, tran_handle))     \
    X(ISC_STATUS, isc_rollback_savepoint,                                                          \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, ISC_SCHAR * tran_name,             \
       ISC_USHORT option),                                                                         \
      (status_vector, tran_handle, tran_name, option))                                             \
    X(ISC_STATUS, isc_rollback_transaction,                                                        \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle), (status_vector, tran_handle))     \
    X(ISC_STATUS, isc_start_multiple,                                                              \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, short db_handle_count,             \
       void* teb_vector_address),                                                                  \
      (status_vector, tran_handle, db_handle_count, teb_vector_address))                           \
    X(ISC_STATUS, isc_start_transaction,                                                           \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, short db_handle_count,             \
       isc_db_handle* db_handle, unsigned short tpb_length, const ISC_SCHAR* tpb_address),         \
      (status_vector, tran_handle, db_handle_count, db_handle, tpb_length, tpb_address))           \
    X(ISC_STATUS, isc_start_savepoint,                                                             \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, ISC_SCHAR * tran_name),            \
      (status_vector, tran_handle, tran_name))                                                     \
    X(ISC_LONG, isc_sqlcode, (const ISC_STATUS* status_vector), (status_vector))                   \
    X(void, isc_sql_interprete, (short sqlcode, ISC_SCHAR* buffer, short buffer_length),           \
      (sqlcode, buffer, buffer_length))                                                            \
    X(ISC_LONG, isc_vax_integer, (const ISC_SCHAR* buffer, short length), (buffer, length))        \
    X(ISC_INT64, isc_portable_integer, (const ISC_UCHAR* buffer, short length), (buffer, length))  \
    X(ISC_STATUS, isc_dsql_batch_execute_immed,                                                    \
      (ISC_STATUS * status_vector, isc_db_handle * db_handle, isc_tr_handle * tran_handle,         \
       ISC_USHORT dialect, ISC_ULONG no_of_sql, ISC_SCHAR * *statement,                            \
       ISC_ULONG * rows_affected),                                                                 \
      (status_vector, db_handle, tran_handle, dialect, no_of_sql, statement, rows_affected))       \
    X(ISC_STATUS, isc_dsql_batch_execute,                                                          \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, isc_stmt_handle * stmt_handle,     \
       ISC_USHORT dialect, XSQLDA * in_xsqlda, ISC_USHORT no_of_rows, XSQLVAR * *batch_vars,       \
       ISC_ULONG * rows_affected),                                                                 \
      (status_vector, tran_handle, stmt_handle, dialect, in_xsqlda, no_of_rows, batch_vars,        \
       rows_affected))                                                                             \
    X(ISC_STATUS, isc_add_user, (ISC_STATUS * status_vector, const USER_SEC_DATA* user_sec_data),  \
      (status_vector, user_sec_data))                                                              \
    X(ISC_STATUS, isc_delete_user,                                                                 \
      (ISC_STATUS * status_vector, const USER_SEC_DATA* user_sec_data),                            \
      (status_vector, user_sec_data))                                                              \
    X(ISC_STATUS, isc_modify_user,                                                                 \
      (ISC_STATUS * status_vector, const USER_SEC_DATA* user_sec_data),                            \
      (status_vector, user_sec_data))                                                              \
    X(ISC_STATUS, isc_prepare_transaction,                                                         \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle), (status_vector, tran_handle))     \
    X(int, BLOB_put, (ISC_SCHAR isc_arg1, FB_BLOB_STREAM isc_arg2), (isc_arg1, isc_arg2))          \
    X(int, BLOB_get, (FB_BLOB_STREAM isc_arg1), (isc_arg1))                                        \
    X(ISC_STATUS, isc_service_attach,                                                              \
      (ISC_STATUS * status_vector, unsigned short isc_arg2, const ISC_SCHAR* isc_arg3,             \
       isc_svc_handle* service_handle, unsigned short isc_arg5, const ISC_SCHAR* isc_arg6),        \
      (status_vector, isc_arg2, isc_arg3, service_handle, isc_arg5, isc_arg6))                     \
    X(ISC_STATUS, isc_service_detach,                                                              \
      (ISC_STATUS * status_vector, isc_svc_handle * service_handle),                               \
      (status_vector, service_handle))                                                             \
    X(ISC_STATUS, isc_service_query,                                                               \
      (ISC_STATUS * status_vector, isc_svc_handle * service_handle, isc_resv_handle * recv_handle, \
       unsigned short isc_arg4, const ISC_SCHAR* isc_arg5, unsigned short isc_arg6,                \
       const ISC_SCHAR* isc_arg7, unsigned short isc_arg8, ISC_SCHAR* isc_arg9),                   \
      (status_vector, service_handle, recv_handle, isc_arg4, isc_arg5, isc_arg6, isc_arg7,         \
       isc_arg8, isc_arg9))                                                                        \
    X(ISC_STATUS, isc_service_start,                                                               \
      (ISC_STATUS * status_vector, isc_svc_handle * service_handle, isc_resv_handle * recv_handle, \
       unsigned short isc_arg4, const ISC_SCHAR* isc_arg5),                                        \
      (status_vector, service_handle, recv_handle, isc_arg4, isc_arg5))                            \
    X(void, isc_get_client_version, (ISC_SCHAR * buffer), (buffer))                                \
    X(int, isc_get_client_major_version, (), ())                                                   \
    X(int, isc_get_client_minor_version, (), ())                                                   \
    X(ISC_STATUS, isc_transaction_info,                                                            \
      (ISC_STATUS * status_vector, isc_tr_handle * tran_handle, short item_list_buffer_length,     \
       const ISC_SCHAR* item_list_buffer, short result_buffer_length, ISC_SCHAR* result_buffer),   \
      (status_vector, tran_handle, item_list_buffer_length, item_list_buffer,                      \
       result_buffer_length, result_buffer))                                                       \
    X(ISC_LONG, fb_interpret,                                                                      \
      (ISC_SCHAR * buffer, unsigned int buffer_length, const ISC_STATUS** status_vector),          \
      (buffer, buffer_length, status_vector))

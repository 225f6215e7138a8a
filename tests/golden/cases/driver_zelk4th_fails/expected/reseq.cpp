
/* Start of C file from 't.va' */ 

/*  A linear resistor. */
#line  2  "t.va" 

#define      V(x)       x    
#define      V2(x,y)   (x-y) 


/*  Start of Module res ( p,n ) */

#line  4  "t.va" 
#line  5  "t.va" 
/* Module : 'RES'     Electrical : p n */

int
RESevaluate ( p, n) 
 double    p, n;
{ 
#line  5  "t.va" 
    _I(p,n) <== V2(p,n)/r ; 

} /* End of Module 'RES' */





/* End of C file from 't.va' */ 
